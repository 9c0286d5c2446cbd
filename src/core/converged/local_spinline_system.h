#pragma once

#include <array>

#include "core/inputs/spin_condition.h"
#include "core/physics/cooling_air.h"
#include "core/physics/pet_properties.h"
#include "core/physics/spinline_laws.h"

namespace vellmor {

// The state of the filament in the converged solution: velocity V (cm/s), tension F (dyn) and
// temperature T (°C), in the order of the classical state vector, then the time the filament
// has taken from the spinneret (s), a quadrature (dt/dx = 1/V) that no equation depends on.
using TSpinlineState = std::array<double, 4>;

// The components of the state whose errors the step-size control watches: the time follows
// from the others to the same order and needs no step of its own.
inline constexpr std::size_t kControlledComponents = 3;

// The air of the zone that holds position x (cm): zone 1 before the end of zone 1, zone 2
// before the end of zone 2, zone 3 (with zone 2's air-temperature equation) after. A zone end
// itself belongs to the next zone.
TZoneAir ZoneAirAt(const TSpinCondition& condition, double x);

// The filament and its air at one point, with every coefficient of the local state.
struct TLocalPoint {
  double Rho = 0.0;  // density (g/cm³)
  double Cp = 0.0;   // specific heat (cal/(g·°C))
  double Eta = 0.0;  // Trouton viscosity (poise)
  double D = 0.0;    // diameter from mass conservation (cm)
  double TA = 0.0;   // air temperature (°C)
  double H = 0.0;    // heat-transfer coefficient (cal/(cm²·s·°C))
};

// The spinline equations with every coefficient taken from the state and position where they
// are evaluated, in double precision: the system of the converged solution, the laws of
// spinline_laws.h with constants k. One instance
// covers one stretch of the line without a discontinuity: one cooling zone, and one side of
// the glass point (the viscosity branch is fixed, so that a step that ends just below 70 °C
// does not switch it halfway; the driver finds the crossing and restarts).
class LocalSpinlineSystem {
 public:
  // iv: intrinsic viscosity; mass_flow in g/s; glassy: the viscosity below the glass point.
  // Every evaluation adds one to *evaluations when it is not null. k must outlive the system.
  LocalSpinlineSystem(double iv, double mass_flow, const TZoneAir& zone, bool glassy,
                      long* evaluations = nullptr,
                      const TSpinlineConstants<double>& k = kBuiltInConstants);

  // The coefficients at state y and position x (cm).
  TLocalPoint PointAt(const TSpinlineState& y, double x) const;

  // dV/dx, dF/dx, dT/dx and dt/dx at state y and position x, in odeint's form of a system.
  void operator()(const TSpinlineState& y, TSpinlineState& dydx, double x) const;

 private:
  const TSpinlineConstants<double>& k_;
  double viscosity_factor_;  // 0.273 IV^5.056
  bool glassy_;
  double mass_flow_;
  TZoneAir zone_;
  long* evaluations_;
};

}  // namespace vellmor
