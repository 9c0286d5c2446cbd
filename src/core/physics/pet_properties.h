#pragma once

#include "vellmor/physics/numerics.h"
#include "vellmor/physics/spinline_laws.h"

namespace vellmor {

// The glass transition of PET (°C): below it the viscosity is a hundred times higher, the
// filament hardly draws any more and its structure is frozen in.
inline constexpr double kGlassTransition = kBuiltInConstants.SolidificationC;

// Density, specific heat and Trouton viscosity of PET at one temperature.
struct TPetProperties {
  double Rho = 0.0;  // g/cm³
  double Cp = 0.0;   // cal/(g·°C)
  double Eta = 0.0;  // Trouton (elongational) viscosity, poise
};

// The property correlations of PET of one intrinsic viscosity; its IV factor of the
// viscosity is worked out once, not at every point of the spinline. The classical march's
// constants unless a model card gives others (k must outlive the material).
class PetMaterial {
 public:
  explicit PetMaterial(double iv, const TSpinlineConstants<long double>& k = kClassicalConstants);

  // The properties at filament temperature t (°C).
  TPetProperties At(double t) const;

  // The same in two halves, for evaluating the viscosity's exponential together with other
  // work: its exponent 6802 / (t + 273), then the properties from e^exponent. Inline, as they
  // end every step of the march, which has the classical constants.
  static long double ViscosityExponent(double t) {
    return laws::ViscosityExponent<long double>(kClassicalConstants, t);
  }
  TPetProperties At(double t, long double viscosity_exponential) const {
    const TSpinlineConstants<long double>& k = *k_;
    const long double temperature = t;
    TPetProperties properties;
    properties.Rho = static_cast<double>(laws::Density(k, temperature));
    properties.Cp = static_cast<double>(laws::SpecificHeat(k, temperature));
    properties.Eta = static_cast<double>(laws::Viscosity(viscosity_factor_, viscosity_exponential));
    // Below the glass transition the filament hardly draws any more.
    if (laws::IsSolid(k, temperature)) {
      properties.Eta = static_cast<double>(laws::SolidViscosity<long double>(k, properties.Eta));
    }
    return properties;
  }

 private:
  const TSpinlineConstants<long double>* k_;
  long double viscosity_factor_;  // 0.273 IV^5.056
};

// The property correlations at filament temperature t (°C) for intrinsic viscosity iv.
TPetProperties PetProperties(double t, double iv);

// Die swell ratio of the melt leaving the hole at melt temperature tm (°C) and wall shear
// rate sr (1/s): swollen extrudate diameter over hole diameter.
double DieSwell(double tm, double sr, double iv,
                const TSpinlineConstants<long double>& k = kClassicalConstants);

}  // namespace vellmor
