// The material model of PET in the classical march's arithmetic, T in °C (the laws in
// spinline_laws.h, with the constants of kClassicalConstants):
//
//   density           ρ  = 1.36 - 0.0005 T                              (g/cm³)
//   specific heat     Cp = 0.3 + 0.0006 T                               (cal/(g·°C))
//   Trouton viscosity λ  = 0.273 IV^5.056 exp(6802 / (T + 273)),
//                          times 100 below 70 °C (the glassy filament)  (poise)
//   die swell         S  = 0.575 exp(-3650 (1/548 - 1/(Tm + 273))) SR^0.134 (IV/0.61)^0.85

#include "vellmor/physics/pet_properties.h"

#include "vellmor/physics/extended_math.h"
#include "vellmor/physics/numerics.h"

namespace vellmor {

PetMaterial::PetMaterial(double iv, const TSpinlineConstants<long double>& k)
    : k_(&k), viscosity_factor_(laws::ViscosityFactor(k, Power(iv, k.IvExponent))) {}

TPetProperties PetMaterial::At(double t) const {
  return At(t, ExpExtended(laws::ViscosityExponent<long double>(*k_, t)));
}

TPetProperties PetProperties(double t, double iv) { return PetMaterial(iv).At(t); }

double DieSwell(double tm, double sr, double iv, const TSpinlineConstants<long double>& k) {
  // Equal to 1 at a melt of 275 °C (548 K), the reference of the swell correlation.
  const double temperature_factor =
      static_cast<double>(ExpExtended(laws::SwellTemperatureExponent<long double>(k, tm)));
  return static_cast<double>(laws::DieSwell<long double>(
      k, temperature_factor, Power(sr, k.SwellShearRateExponent),
      Power(laws::SwellIvRatio<long double>(k, iv), k.SwellIvExponent)));
}

}  // namespace vellmor
