// The steady one-dimensional spinline, x downwards from the spinneret, W the mass flow:
//
//   dV/dx = ρ V F / (λ W)                                   force carried by the viscous filament
//   dF/dx = 2.84e-4 (W/ρ)^0.195 V^1.195 + (dV/dx - g/V) W   air drag, inertia, less the weight
//   dT/dx = π D H (TA - T) / (W Cp),  D = (4 W / (π V ρ))^0.5
//
// The coefficients ρ, λ, Cp, TA, H are those of the step's start point.

#include "vellmor/physics/spin_derivatives.h"

#include "vellmor/physics/numerics.h"

namespace vellmor {

TStateVector SpinDerivatives(TStateVector y, double x, const TStepCoefficients& c, double w) {
  return SpinlineSystem(c, w)(x, y);
}

}  // namespace vellmor
