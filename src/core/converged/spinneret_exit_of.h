#pragma once

// The spinneret exit of init_spinline.cpp in another arithmetic than its x87 one: the same
// formulas in double precision, or over dual numbers for the exit's derivatives with respect
// to the condition and the card (the swell sets the filament's start):
//
//   V_takeup = TakeUpSpeed × 100 / 60,  W = Output / 60,  ρ = ρ(Tm)
//   SR = (4 W / ρ) / (π R³),  R = HoleDiameter / 2
//   D = S(Tm, SR, IV) × HoleDiameter,  V = W / ρ / (π/4 D²)

#include <cmath>

#include "vellmor/converged/model_numbers.h"
#include "vellmor/physics/spinline_laws.h"

namespace vellmor {

template <class Real>
struct TSpinneretExitOf {
  Real TakeUpVelocity = 0.0;  // cm/s
  Real MassFlow = 0.0;        // g/s
  Real Diameter = 0.0;        // swollen (cm)
  Real Velocity = 0.0;        // cm/s
};

template <class Real>
TSpinneretExitOf<Real> SpinneretExitOf(const TConditionNumbers<Real>& c,
                                       const TSpinlineConstants<Real>& k) {
  using std::exp;
  using std::pow;
  TSpinneretExitOf<Real> exit;
  exit.TakeUpVelocity = c.TakeUpSpeed * 100.0 / 60.0;
  exit.MassFlow = c.Output / 60.0;
  const Real rho = laws::Density(k, c.MeltTemperature);
  const Real radius = c.HoleDiameter / 2.0;
  const Real shear_rate = (4.0 * exit.MassFlow / rho) / (k.Pi * (radius * radius * radius));
  const Real swell = laws::DieSwell(k, exp(laws::SwellTemperatureExponent(k, c.MeltTemperature)),
                                    pow(shear_rate, k.SwellShearRateExponent),
                                    pow(laws::SwellIvRatio(k, c.IV), k.SwellIvExponent));
  exit.Diameter = swell * c.HoleDiameter;
  exit.Velocity = exit.MassFlow / rho / laws::CrossSection(k, exit.Diameter);
  return exit;
}

}  // namespace vellmor
