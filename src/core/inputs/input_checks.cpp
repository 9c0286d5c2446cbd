#include "core/inputs/input_checks.h"

#include <array>
#include <utility>

#include "core/inputs/spinline_points.h"

namespace vellmor {
namespace {

static_assert(MaxPoints == 1001, "kTooManyPoints names the profile's capacity");

// The intrinsic viscosities the melt correlations hold for, as extended values: the double
// typed as 0.9 lies just above the upper bound and the one typed as 0.61 just below the lower
// one, so both texts are refused.
constexpr long double kLowestIV = 0.61L;
constexpr long double kHighestIV = 0.9L;

bool IVInRange(double iv) {
  const long double extended = iv;
  return extended >= kLowestIV && extended <= kHighestIV;
}

}  // namespace

std::optional<std::string_view> FailedCheck(const TSpinCondition& condition) {
  const TSpinCondition& c = condition;
  // Still air (a velocity of 0) is allowed; every length, speed and temperature must be
  // strictly positive.
  const std::array<std::pair<bool, std::string_view>, 13> checks = {{
      {c.HoleDiameter > 0.0, "Value of Hole Diameter is not correct"},
      {c.Output > 0.0, "Value of Output is not correct"},
      {c.TakeUpSpeed > 0.0, "Value of Take-up Speed is not correct"},
      {c.MeltTemperature > 0.0, "Value of Polymer Melt Temperature is not correct"},
      {c.Zones[1].EndPosition > 0.0, "Value of 1st Zone End Position is not correct"},
      {c.Zones[2].EndPosition > 0.0, "Value of 2nd Zone End Position is not correct"},
      {c.Zones[3].EndPosition > 0.0, "Value of 3rd Zone End Position is not correct"},
      {c.Zones[1].AirVelocity >= 0.0, "Value of 1st Zone Air Velocity is not correct"},
      {c.Zones[2].AirVelocity >= 0.0, "Value of 2nd Zone Air Velocity is not correct"},
      {c.Zones[3].AirVelocity >= 0.0, "Value of 3rd Zone Air Velocity is not correct"},
      {IVInRange(c.IV), "IV is not in the proper range of value"},
      {c.Increment > 0.0, "Value of Increment is not correct"},
      {!c.SaveFileName.empty(), "Save File Name is not correct"},
  }};
  for (const auto& [passes, message] : checks) {
    if (!passes) return message;
  }
  return std::nullopt;
}

std::optional<std::string_view> FailedPointCount(const TSpinCondition& condition) {
  // The last point of zone 3 is the take-up point, the last point of the profile.
  const int last_point = ZoneEndPointFor(condition.Zones[3].EndPosition, condition.Increment);
  if (last_point > MaxPoints) return kTooManyPoints;
  if (last_point < 2) return kTooFewPoints;
  return std::nullopt;
}

}  // namespace vellmor
