#pragma once

#include "vellmor/inputs/spin_condition.h"
#include "vellmor/physics/extended_math.h"
#include "vellmor/physics/spinline_laws.h"

namespace vellmor {

// The quench air of one cooling zone: its air-temperature equation TA = A1 / (x + A2) + A3
// and its cross-flow velocity.
struct TZoneAir {
  double A1 = 0.0;           // °C·cm
  double A2 = 0.0;           // cm
  double A3 = 0.0;           // °C
  double AirVelocity = 0.0;  // cm/s
};

// The air of zone 1, 2 or 3. Zone 3 has no equation of its own and uses that of zone 2 with
// its own air velocity. Which zone holds a point is the driver's to say: the march decides by
// point number, the converged solution by position.
inline TZoneAir ZoneAir(const TSpinCondition& condition, int zone) {
  const TZoneCondition& equation = condition.Zones[zone == 1 ? 1 : 2];
  return {equation.A1, equation.A2, equation.A3, condition.Zones[zone].AirVelocity};
}

struct TAirCondition {
  double TA = 0.0;  // air temperature (°C)
  double H = 0.0;   // heat-transfer coefficient filament to air (cal/(cm²·s·°C))
};

// The zone's air at position x (cm) and the heat transfer to a filament of cross-section area
// (cm²) moving at velocity v (cm/s), in the classical march's arithmetic.
TAirCondition AirCondition(const TZoneAir& zone, double area, double x, double v);

// The same in two halves, so that the two power laws of the heat transfer can be evaluated
// together with those of a Runge–Kutta step: the air temperature and the laws first, then
// the heat transfer from their powers. AirCondition is these two with the powers between.
struct TAirLaws {
  double TA = 0.0;         // air temperature (°C)
  TPowerLaw FilamentFlow;  // (V/A)^0.259
  TPowerLaw CrossFlow;     // (1 + (8 Va / V)²)^0.167
};
// Inline: the march takes them at every step.
inline TAirLaws AirLaws(const TZoneAir& zone, double area, double x, double v) {
  const TSpinlineConstants<long double>& k = kClassicalConstants;
  const long double velocity = v;
  TAirLaws air;
  air.TA = static_cast<double>(laws::AirTemperature<long double>(zone.A1, zone.A2, zone.A3, x));
  air.FilamentFlow = {laws::FilamentFlowBase<long double>(velocity, area), k.VelocityAreaExponent};
  air.CrossFlow = {laws::CrossFlowBase<long double>(k, zone.AirVelocity, velocity),
                   k.CrossFlowExponent};
  return air;
}
inline TAirCondition AirFromPowers(const TAirLaws& air, long double filament_flow_power,
                                   long double cross_flow_power) {
  return {air.TA, static_cast<double>(laws::HeatTransfer(kClassicalConstants, filament_flow_power,
                                                         cross_flow_power))};
}

}  // namespace vellmor
