#pragma once

#include "vellmor/inputs/spin_condition.h"
#include "vellmor/solver/spinline_profile.h"
#include "vellmor/solver/spinline_step.h"

namespace vellmor {

// Where a pass ended.
struct TPassEnd {
  int LastPoint = 0;     // the last point the pass computed
  bool RanAway = false;  // stopped because V exceeded 1.2 × the take-up velocity
};

// One pass from the spinneret to the take-up end at the given spinneret tension (dyn),
// one Runge–Kutta–Gill step per increment, stopping early if the filament runs away.
TPassEnd MarchSpinline(const TSpinCondition& condition, TSpinlineProfile& profile,
                       double spinneret_tension);

}  // namespace vellmor
