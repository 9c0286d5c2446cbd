#pragma once

#include "core/inputs/spin_condition.h"
#include "core/physics/cooling_air.h"
#include "core/solver/spinline_profile.h"

namespace vellmor {

// Where a pass ended.
struct TPassEnd {
  int LastPoint = 0;     // the last point the pass computed
  bool RanAway = false;  // stopped because V exceeded 1.2 × the take-up velocity
};

// The quench air at point p of the profile: its cross-section becomes profile.Area and the
// air temperature and heat transfer are stored as TA[p] and H[p]. The march does this for the
// start point of every step, the tension search for the last point of the accepted pass.
// Throws CalculationError before storing anything if the air values are not finite.
TAirCondition StorePointAir(int p, const TSpinCondition& condition, TSpinlineProfile& profile);

// One pass from the spinneret to the take-up end at the given spinneret tension (dyn),
// one Runge–Kutta–Gill step per increment, stopping early if the filament runs away.
TPassEnd MarchSpinline(const TSpinCondition& condition, TSpinlineProfile& profile,
                       double spinneret_tension);

}  // namespace vellmor
