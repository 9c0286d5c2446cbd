// The cross-flow quench air at the start point of a step:
//
//   air temperature  TA = A1 / (x + A2) + A3                          (°C)
//   heat transfer    H  = 1.37e-4 (V/A)^0.259 (1 + (8 Va / V)²)^0.167  (cal/(cm²·s·°C))

#include "vellmor/physics/cooling_air.h"

#include "vellmor/physics/numerics.h"

namespace vellmor {

TAirCondition AirCondition(const TZoneAir& zone, double area, double x, double v) {
  const TAirLaws air = AirLaws(zone, area, x, v);
  return AirFromPowers(air, Power(air.FilamentFlow.base, air.FilamentFlow.exponent),
                       Power(air.CrossFlow.base, air.CrossFlow.exponent));
}

}  // namespace vellmor
