#include "core/cooling_air.h"

namespace vellmor {

TAirCondition AirCondition(int, double, double, double, const TSpinCondition&, const OneBasedArray<int, 3>&) { return {}; }

}  // namespace vellmor
