#pragma once

#include "core/base/one_based_array.h"
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
// Inline: the march takes them at every step.
inline TAirLaws AirLaws(int p, double area, double x, double v, const TSpinCondition& condition,
                        const OneBasedArray<int, 3>& zone_end_point) {
  // A step belongs to the zone in whose range its start point lies; the step starting at a
  // zone's end point belongs to the next zone. Zone 3 has no equation of its own and uses that
  // of zone 2 with its own air velocity.
  const int zone = p < zone_end_point[1] ? 1 : (p < zone_end_point[2] ? 2 : 3);
  const TZoneCondition& equation = condition.Zones[zone == 1 ? 1 : 2];
  const long double velocity = v;
  const long double cross_flow = 8.0L * condition.Zones[zone].AirVelocity / velocity;
  TAirLaws laws;
  laws.TA =
      static_cast<double>(equation.A1 / (x + static_cast<long double>(equation.A2)) + equation.A3);
  laws.FilamentFlow = {velocity / area, 0.259L};
  laws.CrossFlow = {1.0L + cross_flow * cross_flow, 0.167L};
  return laws;
}
inline TAirCondition AirFromPowers(const TAirLaws& laws, long double filament_flow_power,
                                   long double cross_flow_power) {
  return {laws.TA, static_cast<double>(1.37e-4L * filament_flow_power * cross_flow_power)};
}

}  // namespace vellmor
