#include "core/calculate_spinline.h"

namespace vellmor {

void CalculateSpinline(TRunState&, PassObserver*, int) {}

}  // namespace vellmor
