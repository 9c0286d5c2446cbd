#pragma once

#include "core/physics/state_vector.h"

namespace vellmor {

// Material and air values of a step's start point, held fixed over all four stages.
struct TStepCoefficients {
  double Rho = 0.0;  // density (g/cm³)
  double Eta = 0.0;  // Trouton viscosity (poise)
  double Cp = 0.0;   // specific heat (cal/(g·°C))
  double TA = 0.0;   // air temperature (°C)
  double H = 0.0;    // heat-transfer coefficient (cal/(cm²·s·°C))
};

// The spinline equations over one step: the coefficients c of its start point and the mass
// flow w (g/s). The air-drag factor depends on those alone and is evaluated once per step,
// not at each of the four stages.
class SpinlineSystem {
 public:
  SpinlineSystem(const TStepCoefficients& c, double w);

  // dV/dx, dF/dx, dT/dx of the state y at position x (cm); the elements beyond the third are
  // those of y.
  TStateVector operator()(double x, TStateVector y) const;

 private:
  TStepCoefficients c_;
  long double mass_flow_;
  long double drag_factor_;  // 2.84e-4 (W/ρ)^0.195
};

// The same for a single evaluation.
TStateVector SpinDerivatives(TStateVector y, double x, const TStepCoefficients& c, double w);

}  // namespace vellmor
