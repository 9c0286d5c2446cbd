// One pass down the spinline at a given spinneret tension. Step p goes from point p to
// point p + 1 with one Runge–Kutta–Gill step; the material and air coefficients are those of
// the start point, held fixed over the step, and the properties are evaluated anew only at
// the new point. The diameter follows from mass conservation, D = √(4 W / (π ρ V)).

#include "core/solver/march_spinline.h"

#include <cassert>
#include <cmath>

#include "core/inputs/spinline_points.h"
#include "core/physics/numerics.h"
#include "core/physics/pet_properties.h"
#include "core/physics/runge_kutta_gill.h"
#include "core/physics/spin_derivatives.h"
#include "core/run/run_error.h"
#include "core/solver/floating_point_check.h"

namespace vellmor {
namespace {

// Integrates step p and stores point p + 1, with the air values of point p.
void MarchStep(int p, const TSpinCondition& condition, const PetMaterial& pet,
               TSpinlineProfile& profile) {
  const TAirCondition air = StorePointAir(p, condition, profile);
  const TStepCoefficients coefficients{profile.Rho[p], profile.Eta[p], profile.Cp[p], air.TA,
                                       air.H};
  const double mass_flow = profile.MassFlow;
  TStateVector y{};
  y[kVelocity] = profile.V[p];
  y[kTension] = profile.F[p];
  y[kTemperature] = profile.T[p];
  RungeKuttaGill(kSpinlineEquations, y, profile.X[p], condition.Increment,
                 SpinlineSystem(coefficients, mass_flow));

  const double x_next =
      static_cast<double>(profile.X[p] + static_cast<long double>(condition.Increment));
  const TPetProperties properties = pet.At(y[kTemperature]);
  const double diameter =
      static_cast<double>(std::sqrt(4.0L * mass_flow / (kPi * properties.Rho * y[kVelocity])));
  const double v_out = MetresPerMinute(profile.V[p]);
  const double v_out_next = MetresPerMinute(y[kVelocity]);
  ThrowOnFloatingPointFault();

  profile.X[p + 1] = x_next;
  profile.V[p + 1] = y[kVelocity];
  profile.F[p + 1] = y[kTension];
  profile.T[p + 1] = y[kTemperature];
  profile.Rho[p + 1] = properties.Rho;
  profile.Cp[p + 1] = properties.Cp;
  profile.Eta[p + 1] = properties.Eta;
  profile.D[p + 1] = diameter;
  profile.VOut[p] = v_out;
  profile.VOut[p + 1] = v_out_next;
}

}  // namespace

TAirCondition StorePointAir(int p, const TSpinCondition& condition, TSpinlineProfile& profile) {
  const double area = static_cast<double>(kQuarterPi * profile.D[p] * profile.D[p]);
  const TAirCondition air =
      AirCondition(p, area, profile.X[p], profile.V[p], condition, profile.ZoneEndPoint);
  ThrowOnFloatingPointFault();
  profile.Area = area;
  profile.TA[p] = air.TA;
  profile.H[p] = air.H;
  return air;
}

TPassEnd MarchSpinline(const TSpinCondition& condition, TSpinlineProfile& profile,
                       double spinneret_tension) {
  assert(profile.StepCount < MaxPoints);
  profile.F[1] = spinneret_tension;
  // A filament 20 % faster than the take-up roll has run away: this pass is too tight.
  const long double runaway_velocity = 1.2L * profile.TakeUpVelocity;

  const PetMaterial pet(condition.IV);
  TPassEnd end{1, false};
  for (int p = 1; p <= profile.StepCount; ++p) {
    try {
      MarchStep(p, condition, pet, profile);
    } catch (CalculationError& error) {
      error.AddPlace(PlaceAlongSpinline(profile.X[p], condition.Increment));
      throw;
    }
    end.LastPoint = p + 1;
    if (profile.V[p + 1] > runaway_velocity) {
      end.RanAway = true;
      break;
    }
  }
  profile.FinalVelocity = profile.V[end.LastPoint];
  return end;
}

}  // namespace vellmor
