// The cross-flow quench air at the start point of a step:
//
//   air temperature  TA = A1 / (x + A2) + A3                          (°C)
//   heat transfer    H  = 1.37e-4 (V/A)^0.259 (1 + (8 Va / V)²)^0.167  (cal/(cm²·s·°C))
//
// The zone is chosen by point number alone; zone 3 has no equation of its own and uses that
// of zone 2 with its own air velocity.

#include "core/physics/cooling_air.h"

#include "core/physics/numerics.h"

namespace vellmor {

TAirCondition AirCondition(int p, double area, double x, double v, const TSpinCondition& condition,
                           const OneBasedArray<int, 3>& zone_end_point) {
  const TAirLaws laws = AirLaws(p, area, x, v, condition, zone_end_point);
  return AirFromPowers(laws, Power(laws.FilamentFlow.base, laws.FilamentFlow.exponent),
                       Power(laws.CrossFlow.base, laws.CrossFlow.exponent));
}

}  // namespace vellmor
