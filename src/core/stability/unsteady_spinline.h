#pragma once

// The time-dependent thin-filament equations of the converged model at one point, in the
// unknowns u = (A, V, F, T): cross-section (cm²), velocity (cm/s), tension (dyn) and
// temperature (°C), functions of x (cm) and t (s):
//
//   mass        (ρA)_t + (ρAV)_x = 0
//   viscous     F = λ A V_x
//   momentum    i ρA (V_t + V V_x) = F_x - d (AV)^e V^e2 + ρ A g
//   energy      ρ A Cp (T_t + V T_x) = π D H (TA - T),   D² = A / (π/4)
//
// with the laws and constants of the converged model (i the card's inertia factor). At steady
// state, W = ρAV, they are its equations: V_x = ρVF/(λW), F_x = drag + (i V_x - g/V) W,
// W Cp T_x = π D H (TA - T). The viscosity's branch (melt or solid) and the crystals'
// stiffening are those of the steady line at the point: the structure is held as it is.

#include <array>

#include "vellmor/physics/cooling_air.h"
#include "vellmor/physics/spinline_constants.h"

namespace vellmor {

inline constexpr int kLineUnknowns = 4;
enum LineUnknown { kArea = 0, kVelocity = 1, kTension = 2, kTemperature = 3 };
// The equations, in the order of their rows at a node.
enum LineEquation { kMass = 0, kViscous = 1, kMomentum = 2, kEnergy = 3 };

using TLineVector = std::array<double, kLineUnknowns>;
using TLineMatrix = std::array<TLineVector, kLineUnknowns>;  // [equation][unknown]

// What the equations take of the place and the steady line at one point.
struct TLinePointLaws {
  TSpinlineConstants<double> K = kBuiltInConstants;
  double ViscosityFactor = 0.0;  // f IV^e (poise)
  double Stiffening = 1.0;       // the viscosity's factor: the solid's, or the crystals'
  TZoneAir Air;                  // the zone's air
};

// The residuals of the four equations (each side moved to the left) at position x.
TLineVector UnsteadyResidual(const TLinePointLaws& laws, double x, const TLineVector& u,
                             const TLineVector& ux, const TLineVector& ut);

// The steady derivatives u_x at u: the equations solved for them with u_t = 0.
TLineVector SteadySlope(const TLinePointLaws& laws, double x, const TLineVector& u);

// The equations linearised about a steady point (u, u_x): R ≈ C0 δu + C1 δu_x + Ct δu_t.
struct TLineLinearisation {
  TLineMatrix C0{}, C1{}, Ct{};
};
TLineLinearisation Linearise(const TLinePointLaws& laws, double x, const TLineVector& u,
                             const TLineVector& ux);

}  // namespace vellmor
