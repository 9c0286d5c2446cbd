#pragma once

#include "core/inputs/one_based_array.h"
#include "core/inputs/spin_condition.h"
#include "core/physics/extended_math.h"

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

// The same in two halves, so that the two power laws of the heat transfer can be evaluated
// together with those of a Runge–Kutta step: the air temperature and the laws first, then
// the heat transfer from their powers. AirCondition is these two with the powers between.
struct TAirLaws {
  double TA = 0.0;         // air temperature (°C)
  TPowerLaw FilamentFlow;  // (V/A)^0.259
  TPowerLaw CrossFlow;     // (1 + (8 Va / V)²)^0.167
};
TAirLaws AirLaws(int p, double area, double x, double v, const TSpinCondition& condition,
                 const OneBasedArray<int, 3>& zone_end_point);
inline TAirCondition AirFromPowers(const TAirLaws& laws, long double filament_flow_power,
                                   long double cross_flow_power) {
  return {laws.TA, static_cast<double>(1.37e-4L * filament_flow_power * cross_flow_power)};
}

}  // namespace vellmor
