#pragma once

namespace vellmor {

inline constexpr const char* kTooManyPoints =
    "Too many calculation points: 3rd Zone End Position / Increment gives more than 1001 points";
inline constexpr const char* kTooFewPoints =
    "Too few calculation points: 3rd Zone End Position / Increment gives fewer than 2 points";

// Points of the longest spinline profile the solver holds.
inline constexpr int MaxPoints = 1001;

// The point at which a zone ending at end_position (cm) ends for the given increment (cm):
// n + 1 with n the nearest integer, ties to even, to (end_position + 0.0001) / increment.
// Values beyond the range of an int are held at its maximum, which no point number reaches.
// The last point of zone 3 is the take-up end of the line.
int ZoneEndPointFor(double end_position, double increment);

// The zone (1, 2 or 3) of the step that starts at point p: the zone in whose range p lies, a
// zone's end point starting the next zone. The march decides zones by point number alone.
inline int ZoneOfPoint(int p, int zone1_end_point, int zone2_end_point) {
  return p < zone1_end_point ? 1 : (p < zone2_end_point ? 2 : 3);
}

}  // namespace vellmor
