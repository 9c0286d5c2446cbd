#pragma once

// The air one filament meets when it is not the zones' own: in a zone where filaments before
// it have warmed and slowed the quench air, the zone's temperature A1 / (x + A2) + A3 raised
// by Rise(x) and the cross-flow velocity Velocity(x) in place of the zone's, both splines
// through tabulated positions. The zone ends stay where the air jumps: each zone has its own
// table, and a table is read only inside its zone.

#include <array>
#include <optional>

#include "vellmor/converged/cubic_spline.h"

namespace vellmor {

// One zone's air as it reaches the filament.
struct TAirAlongZone {
  CubicSpline Rise;      // °C above the zone's air temperature
  CubicSpline Velocity;  // cm/s
};

// A filament's air zone by zone (1 to 3): none where it meets the zone's own.
struct TLocalAir {
  std::array<std::optional<TAirAlongZone>, 4> Zones;

  const TAirAlongZone* Of(int zone) const {
    return Zones[static_cast<std::size_t>(zone)] ? &*Zones[static_cast<std::size_t>(zone)]
                                                 : nullptr;
  }
};

}  // namespace vellmor
