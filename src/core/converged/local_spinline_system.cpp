// The spinline equations of the converged solution, x downwards from the spinneret, W the
// mass flow, with every coefficient evaluated at the current state and position:
//
//   ρ = 1.36 - 0.0005 T,  Cp = 0.3 + 0.0006 T,  λ = 0.273 IV^5.056 exp(6802 / (T + 273))
//       (λ × 100 below 70 °C)
//   D = √(4 W / (π V ρ)),  A = π/4 D²
//   TA = A1 / (x + A2) + A3 of the zone that holds x
//   H = 1.37e-4 (V/A)^0.259 (1 + (8 Va / V)²)^0.167
//
//   dV/dx = ρ V F / (λ W)
//   dF/dx = 2.84e-4 (W/ρ)^0.195 V^1.195 + (dV/dx - g/V) W
//   dT/dx = π D H (TA - T) / (W Cp)
//
// with the march's constants (π = 3.1415926, π/4 = 0.78539815, g = 980 cm/s², 273 K) in plain
// double arithmetic.

#include "core/converged/local_spinline_system.h"

#include <cmath>

#include "core/physics/numerics.h"

namespace vellmor {
namespace {

// The classical method's shortened constants, in double.
constexpr double kPiShort = static_cast<double>(kPi);
constexpr double kQuarterPiShort = static_cast<double>(kQuarterPi);
constexpr double kGravityCgs = static_cast<double>(kGravity);
constexpr double kKelvin = static_cast<double>(kKelvinOffset);
// Below the glass point the filament hardly draws any more.
constexpr double kGlassyViscosityFactor = 100.0;

}  // namespace

TZoneAir ZoneAirAt(const TSpinCondition& condition, double x) {
  const TZoneCondition& zone1 = condition.Zones[1];
  const TZoneCondition& zone2 = condition.Zones[2];
  if (x < zone1.EndPosition) return {zone1.A1, zone1.A2, zone1.A3, zone1.AirVelocity};
  if (x < zone2.EndPosition) return {zone2.A1, zone2.A2, zone2.A3, zone2.AirVelocity};
  return {zone2.A1, zone2.A2, zone2.A3, condition.Zones[3].AirVelocity};
}

LocalSpinlineSystem::LocalSpinlineSystem(double iv, double mass_flow, const TZoneAir& zone,
                                         bool glassy, long* evaluations)
    : viscosity_factor_(0.273 * std::pow(iv, 5.056) * (glassy ? kGlassyViscosityFactor : 1.0)),
      mass_flow_(mass_flow),
      zone_(zone),
      evaluations_(evaluations) {}

TLocalPoint LocalSpinlineSystem::PointAt(const TSpinlineState& y, double x) const {
  const double v = y[0];
  const double t = y[2];
  TLocalPoint point;
  point.Rho = 1.36 - 0.0005 * t;
  point.Cp = 0.3 + 0.0006 * t;
  point.Eta = viscosity_factor_ * std::exp(6802.0 / (t + kKelvin));
  point.D = std::sqrt(4.0 * mass_flow_ / (kPiShort * v * point.Rho));
  const double area = kQuarterPiShort * point.D * point.D;
  point.TA = zone_.A1 / (x + zone_.A2) + zone_.A3;
  // Still air leaves the cross-flow factor at exactly 1.
  const double cross_flow = 8.0 * zone_.AirVelocity / v;
  const double cross_flow_factor =
      zone_.AirVelocity == 0.0 ? 1.0 : std::pow(1.0 + cross_flow * cross_flow, 0.167);
  point.H = 1.37e-4 * std::pow(v / area, 0.259) * cross_flow_factor;
  return point;
}

void LocalSpinlineSystem::operator()(const TSpinlineState& y, TSpinlineState& dydx,
                                     double x) const {
  if (evaluations_ != nullptr) ++*evaluations_;
  const TLocalPoint point = PointAt(y, x);
  const double v = y[0];
  const double f = y[1];
  const double t = y[2];
  const double w = mass_flow_;
  // Tension carried by the viscous filament.
  const double dv = point.Rho * v * f / (point.Eta * w);
  // Air drag per unit length plus inertia, less the weight (dyn/cm); the drag term
  // (W/ρ)^0.195 V^1.195 is taken as V (W V/ρ)^0.195, one power instead of two.
  const double drag = 2.84e-4 * v * std::pow(w * v / point.Rho, 0.195);
  const double df = drag + (dv - kGravityCgs / v) * w;
  // Heat lost to the quench air (°C/cm).
  const double dt = kPiShort * point.D * point.H * (point.TA - t) / (w * point.Cp);
  dydx = {dv, df, dt};
}

}  // namespace vellmor
