#pragma once

// The pole of the quench air's hyperbola on the spinline. Zones 1 and 2 give the air
// temperature as TA = A1 / (Z + A2) + A3, zone 3 that of zone 2; the hyperbola has its pole at
// Z = -A2. Where the pole lies inside the part of the line that uses its equation, the air there
// runs from far below freezing to many thousand degrees: the inputs pass every check and the
// classical march steps over the pole, but such a spinline is no spinline. A1 = 0 is air of the
// constant A3 and has no pole for the converged solution; the march's warning reads the equation
// as it always did.

#include <optional>
#include <string>
#include <vector>

#include "vellmor/inputs/spin_condition.h"
#include "vellmor/solver/spinline_profile.h"

namespace vellmor {

struct TAirPole {
  int Zone = 0;             // 1, 2 or 3: the zone whose stretch of the line holds the pole
  double PositionCm = 0.0;  // -A2 of the zone's equation
  double LowestC = 0.0;     // the lowest and highest air temperature at the zone's points
  double HighestC = 0.0;
};

// Each zone of a marched profile whose points' steps straddle or touch the pole of the
// equation they use, with the air temperatures at its points; in zone order.
std::vector<TAirPole> AirPolesOnTheLine(const TSpinCondition& condition,
                                        const TSpinlineProfile& profile);

// "Zone 2 air temperature: the pole of A1/(Z + A2) + A3 lies at 20.5 cm, inside the zone; air
// temperatures there run from -100.0 to 600040.0 °C"
std::string AirPoleWarning(const TAirPole& pole);

// The first zone whose stretch of the line [0, zone 3's end], zones taken by position, holds
// the pole of its equation (without the temperatures); nullopt when none does. An equation with
// A1 = 0 has none, whatever A2. The converged
// solution, which integrates through every position, cannot pass one.
std::optional<TAirPole> AirPoleAlongTheLine(const TSpinCondition& condition);

// "the air temperature of zone 1 has the pole of A1/(Z + A2) + A3 inside the zone, at 5.3 cm"
std::string AirPoleRefusal(const TAirPole& pole);

}  // namespace vellmor
