#pragma once

#include "core/inputs/spin_condition.h"
#include "core/solver/spinline_profile.h"
#include "core/solver/tension_search.h"

namespace vellmor {

// Unit conversions, zone end points, the spinneret-exit state (point 1) from the melt
// properties and the die swell, and the starting state of the tension search.
void InitSpinline(const TSpinCondition& condition, TSpinlineProfile& profile,
                  TTensionSearch& search);

}  // namespace vellmor
