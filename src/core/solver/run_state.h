#pragma once

#include "vellmor/inputs/spin_condition.h"
#include "vellmor/solver/spinline_profile.h"
#include "vellmor/solver/tension_search.h"

namespace vellmor {

// Everything one run works on, owned by the front end and overwritten by every run. The
// profile is large (eleven arrays of MaxPoints doubles): keep the state on the heap or as a
// member of a long-lived object, not on a small stack.
struct TRunState {
  TSpinCondition Condition;
  TSpinlineProfile Profile;
  TTensionSearch Search;
};

}  // namespace vellmor
