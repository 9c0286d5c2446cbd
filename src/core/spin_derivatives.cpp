// The steady one-dimensional spinline, x downwards from the spinneret, W the mass flow:
//
//   dV/dx = ρ V F / (λ W)                                   force carried by the viscous filament
//   dF/dx = 2.84e-4 (W/ρ)^0.195 V^1.195 + (dV/dx - g/V) W   air drag, inertia, less the weight
//   dT/dx = π D H (TA - T) / (W Cp),  D = (4 W / (π V ρ))^0.5
//
// The coefficients ρ, λ, Cp, TA, H are those of the step's start point.

#include "core/spin_derivatives.h"

#include "core/power.h"
#include "core/spinline_constants.h"

namespace vellmor {

TStateVector SpinDerivatives(TStateVector y, double /*x*/, const TStepCoefficients& c, double w) {
  const long double v = y[kVelocity];
  const long double f = y[kTension];
  const long double t = y[kTemperature];
  const long double mass_flow = w;

  TStateVector dy = y;
  dy[kVelocity] = static_cast<double>(c.Rho * v * f / (c.Eta * mass_flow));
  dy[kTension] =
      static_cast<double>(2.84e-4L * Power(mass_flow / c.Rho, 0.195L) * Power(v, 1.195L) +
                          (dy[kVelocity] - kGravity / v) * mass_flow);
  const double diameter = static_cast<double>(Power(4.0L * mass_flow / (kPi * v * c.Rho), 0.5L));
  dy[kTemperature] = static_cast<double>(kPi * diameter * c.H * (c.TA - t) / (mass_flow * c.Cp));
  return dy;
}

}  // namespace vellmor
