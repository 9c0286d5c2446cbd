#include "vellmor/analysis/air_pole.h"

#include <algorithm>

#include "vellmor/base/number_text.h"

#include "vellmor/inputs/spinline_points.h"

namespace vellmor {
namespace {

// The shortest text that reads back as value: -A2 as the user typed it, in most cases.
std::string Shortest(double value) { return ShortestText(value).value_or("?"); }

std::string OneDecimal(double value) { return FixedPointText(value, 1); }

// A1 = 0 is air of the constant A3: no hyperbola, whatever A2. The march's warning keeps its
// own reading of the equation, the converged solution's refusal takes this one.
bool HasPole(const TZoneCondition& equation) { return equation.A1 != 0.0; }

}  // namespace

std::vector<TAirPole> AirPolesOnTheLine(const TSpinCondition& condition,
                                        const TSpinlineProfile& profile) {
  const int n = std::min(profile.ZoneEndPoint[3], MaxPoints);
  std::vector<TAirPole> poles;
  for (int zone = 1; zone <= 3; ++zone) {
    const double pole = 0.0 - condition.Zones[zone == 1 ? 1 : 2].A2;  // never "-0"
    int first = 0;
    int last = 0;
    for (int p = 1; p <= n; ++p) {
      if (ZoneOfPoint(p, profile.ZoneEndPoint[1], profile.ZoneEndPoint[2]) != zone) continue;
      if (first == 0) first = p;
      last = p;
    }
    if (first == 0) continue;
    // The zone's steps run from its first point to the point after its last.
    const double from = profile.X[first];
    const double to = profile.X[std::min(last + 1, n)];
    // Zone 3 continues zone 2's equation: a pole at their common point is zone 2's.
    const bool inside = zone == 3 ? (from < pole && pole <= to) : (from <= pole && pole <= to);
    if (!inside) continue;
    TAirPole found{zone, pole, profile.TA[first], profile.TA[first]};
    for (int p = first; p <= last; ++p) {
      found.LowestC = std::min(found.LowestC, profile.TA[p]);
      found.HighestC = std::max(found.HighestC, profile.TA[p]);
    }
    poles.push_back(found);
  }
  return poles;
}

std::string AirPoleWarning(const TAirPole& pole) {
  return "Zone " + std::to_string(pole.Zone) +
         " air temperature: the pole of A1/(Z + A2) + A3 lies at " + Shortest(pole.PositionCm) +
         " cm, inside the zone; air temperatures there run from " + OneDecimal(pole.LowestC) +
         " to " + OneDecimal(pole.HighestC) + " °C";
}

std::optional<TAirPole> AirPoleAlongTheLine(const TSpinCondition& condition) {
  const double end1 = condition.Zones[1].EndPosition;
  const double end2 = condition.Zones[2].EndPosition;
  const double end3 = condition.Zones[3].EndPosition;
  const double pole1 = 0.0 - condition.Zones[1].A2;  // never "-0"
  const double pole2 = 0.0 - condition.Zones[2].A2;
  const bool hyperbola1 = HasPole(condition.Zones[1]);
  const bool hyperbola2 = HasPole(condition.Zones[2]);
  // Zone 1 holds [0, end 1), zone 2 [end 1, end 2), zone 3 the rest, as ZoneAirAt takes them.
  if (hyperbola1 && pole1 >= 0.0 && pole1 <= std::min(end1, end3)) return TAirPole{1, pole1};
  if (hyperbola2 && pole2 >= end1 && pole2 <= std::min(end2, end3)) return TAirPole{2, pole2};
  if (hyperbola2 && pole2 >= std::max(end1, end2) && pole2 <= end3) return TAirPole{3, pole2};
  return std::nullopt;
}

std::string AirPoleRefusal(const TAirPole& pole) {
  return "the air temperature of zone " + std::to_string(pole.Zone) +
         " has the pole of A1/(Z + A2) + A3 inside the zone, at " + Shortest(pole.PositionCm) +
         " cm";
}

}  // namespace vellmor
