#pragma once

#include "core/state_vector.h"

namespace vellmor {

// Material and air values of a step's start point, held fixed over all four stages.
struct TStepCoefficients {
  double Rho = 0.0;  // density (g/cm³)
  double Eta = 0.0;  // Trouton viscosity (poise)
  double Cp = 0.0;   // specific heat (cal/(g·°C))
  double TA = 0.0;   // air temperature (°C)
  double H = 0.0;    // heat-transfer coefficient (cal/(cm²·s·°C))
};

// dV/dx, dF/dx, dT/dx of the spinline state y at position x (cm) for mass flow w (g/s).
// The elements of the result beyond the third are those of y.
TStateVector SpinDerivatives(TStateVector y, double x, const TStepCoefficients& c, double w);

}  // namespace vellmor
