// One pass down the spinline at a given spinneret tension, step after step until the take-up
// end or a runaway filament.

#include "vellmor/solver/march_spinline.h"

#include <cassert>

#include "vellmor/base/run_error.h"
#include "vellmor/inputs/spinline_points.h"
#include "vellmor/physics/pet_properties.h"
#include "vellmor/solver/spinline_step.h"

namespace vellmor {

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
      if (!StepTogether(p, condition, pet, profile)) {
        StepOneStageAtATime(p, condition, pet, profile);
      }
    } catch (CalculationError& error) {
      error.AddPosition(PlaceAlongSpinline(profile.X[p], condition.Increment), profile.X[p]);
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
