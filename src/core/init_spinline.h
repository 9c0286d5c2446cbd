#pragma once

#include "core/spin_condition.h"
#include "core/spinline_profile.h"
#include "core/tension_search.h"

namespace vellmor {

// The point at which a zone ending at end_position (cm) ends for the given increment (cm):
// n + 1 with n the nearest integer, ties to even, to (end_position + 0.0001) / increment.
// Values beyond the range of an int are held at its maximum, which no point number reaches.
int ZoneEndPointFor(double end_position, double increment);

// Unit conversions, zone end points, the spinneret-exit state (point 1) from the melt
// properties and the die swell, and the starting state of the tension search.
void InitSpinline(const TSpinCondition& condition, TSpinlineProfile& profile,
                  TTensionSearch& search);

}  // namespace vellmor
