// Initial state of a run, at the spinneret exit (point 1):
//
//   take-up velocity  = TakeUpSpeed × 100 / 60            (m/min to cm/s)
//   mass flow W       = Output / 60                       (g/min to g/s)
//   zone end point k  = round((EndPosition_k + 0.0001) / Increment) + 1
//   shear rate SR     = (4 W / ρ(Tm)) / (π R³),  R = HoleDiameter / 2
//   D[1]              = DieSwell(Tm, SR) × HoleDiameter
//   V[1]              = W / ρ[1] / (π/4 D[1]²)

#include "vellmor/solver/init_spinline.h"

#include "vellmor/base/floating_point_check.h"
#include "vellmor/inputs/spinline_points.h"
#include "vellmor/physics/numerics.h"
#include "vellmor/physics/pet_properties.h"

namespace vellmor {

TSpinneretExit SpinneretExit(const TSpinCondition& condition,
                             const TSpinlineConstants<long double>& k) {
  TSpinneretExit exit;
  exit.TakeUpVelocity =
      static_cast<double>(condition.TakeUpSpeed * 100.0L / 60.0L);  // m/min to cm/s
  exit.MassFlow = static_cast<double>(condition.Output / 60.0L);    // g/min to g/s

  const PetMaterial melt(condition.IV, k);
  const double melt_density = melt.At(condition.MeltTemperature).Rho;
  const double radius = condition.HoleDiameter / 2.0;
  // Newtonian wall shear rate of the melt in the hole (1/s).
  const double shear_rate =
      static_cast<double>((4.0L * exit.MassFlow / melt_density) /
                          (k.Pi * (static_cast<long double>(radius) * radius * radius)));
  const double swell = DieSwell(condition.MeltTemperature, shear_rate, condition.IV, k);

  exit.Diameter = static_cast<double>(static_cast<long double>(swell) * condition.HoleDiameter);
  exit.Properties = melt.At(condition.MeltTemperature);
  exit.Area = static_cast<double>(laws::CrossSection<long double>(k, exit.Diameter));
  exit.Velocity = static_cast<double>(static_cast<long double>(exit.MassFlow) /
                                      exit.Properties.Rho / exit.Area);
  return exit;
}

void InitSpinline(const TSpinCondition& condition, TSpinlineProfile& profile,
                  TTensionSearch& search) {
  const TSpinneretExit exit = SpinneretExit(condition);
  ThrowOnFloatingPointFault();

  profile.TakeUpVelocity = exit.TakeUpVelocity;
  profile.MassFlow = exit.MassFlow;
  for (int zone = 1; zone <= 3; ++zone) {
    profile.ZoneEndPoint[zone] =
        ZoneEndPointFor(condition.Zones[zone].EndPosition, condition.Increment);
  }
  profile.StepCount = profile.ZoneEndPoint[3] - 1;

  profile.T[1] = condition.MeltTemperature;
  profile.D[1] = exit.Diameter;
  profile.Rho[1] = exit.Properties.Rho;
  profile.Cp[1] = exit.Properties.Cp;
  profile.Eta[1] = exit.Properties.Eta;
  profile.Area = exit.Area;
  profile.V[1] = exit.Velocity;
  profile.X[1] = 0.0;

  search = TTensionSearch{};
  search.TensionStep = static_cast<double>(search.Tension / 10.0L);
}

}  // namespace vellmor
