#pragma once

#include "core/inputs/one_based_array.h"
#include "core/inputs/spin_condition.h"

namespace vellmor {

struct TAirCondition {
  double TA = 0.0;  // air temperature (°C)
  double H = 0.0;   // heat-transfer coefficient filament to air (cal/(cm²·s·°C))
};

// The quench air at the start point p of a step: its zone by point number alone, the air
// temperature there and the heat transfer for filament cross-section area (cm²), position
// x (cm) and velocity v (cm/s).
TAirCondition AirCondition(int p, double area, double x, double v, const TSpinCondition& condition,
                           const OneBasedArray<int, 3>& zone_end_point);

}  // namespace vellmor
