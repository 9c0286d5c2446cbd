#pragma once

namespace vellmor {

// Density, specific heat and Trouton viscosity of PET at one temperature.
struct TPetProperties {
  double Rho = 0.0;  // g/cm³
  double Cp = 0.0;   // cal/(g·°C)
  double Eta = 0.0;  // Trouton (elongational) viscosity, poise
};

// The property correlations at filament temperature t (°C) for intrinsic viscosity iv.
TPetProperties PetProperties(double t, double iv);

// Die swell ratio of the melt leaving the hole at melt temperature tm (°C) and wall shear
// rate sr (1/s): swollen extrudate diameter over hole diameter.
double DieSwell(double tm, double sr, double iv);

}  // namespace vellmor
