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
namespace {

struct TZoneChoice {
  const TZoneCondition& equation;  // A1, A2, A3
  double air_velocity;             // cm/s
};

// A step belongs to the zone in whose range its start point lies; the step starting at a
// zone's end point belongs to the next zone.
TZoneChoice ZoneOfPoint(int p, const TSpinCondition& condition,
                        const OneBasedArray<int, 3>& zone_end_point) {
  if (p < zone_end_point[1]) return {condition.Zones[1], condition.Zones[1].AirVelocity};
  if (p < zone_end_point[2]) return {condition.Zones[2], condition.Zones[2].AirVelocity};
  return {condition.Zones[2], condition.Zones[3].AirVelocity};
}

}  // namespace

TAirLaws AirLaws(int p, double area, double x, double v, const TSpinCondition& condition,
                 const OneBasedArray<int, 3>& zone_end_point) {
  const TZoneChoice zone = ZoneOfPoint(p, condition, zone_end_point);
  const long double velocity = v;
  const long double cross_flow = 8.0L * zone.air_velocity / velocity;
  TAirLaws laws;
  laws.TA = static_cast<double>(
      zone.equation.A1 / (x + static_cast<long double>(zone.equation.A2)) + zone.equation.A3);
  laws.FilamentFlow = {velocity / area, 0.259L};
  laws.CrossFlow = {1.0L + cross_flow * cross_flow, 0.167L};
  return laws;
}

TAirCondition AirCondition(int p, double area, double x, double v, const TSpinCondition& condition,
                           const OneBasedArray<int, 3>& zone_end_point) {
  const TAirLaws laws = AirLaws(p, area, x, v, condition, zone_end_point);
  return AirFromPowers(laws, Power(laws.FilamentFlow.base, laws.FilamentFlow.exponent),
                       Power(laws.CrossFlow.base, laws.CrossFlow.exponent));
}

}  // namespace vellmor
