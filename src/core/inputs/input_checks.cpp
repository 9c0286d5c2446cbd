#include "vellmor/inputs/input_checks.h"

#include <array>
#include <utility>

#include "vellmor/inputs/read_inputs.h"
#include "vellmor/inputs/spinline_points.h"

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
  const std::array<bool, 13> passes = {
      c.HoleDiameter > 0.0,
      c.Output > 0.0,
      c.TakeUpSpeed > 0.0,
      c.MeltTemperature > 0.0,
      c.Zones[1].EndPosition > 0.0,
      c.Zones[2].EndPosition > 0.0,
      c.Zones[3].EndPosition > 0.0,
      c.Zones[1].AirVelocity >= 0.0,
      c.Zones[2].AirVelocity >= 0.0,
      c.Zones[3].AirVelocity >= 0.0,
      IVInRange(c.IV),
      c.Increment > 0.0,
      !c.SaveFileName.empty(),
  };
  static_assert(passes.size() == kRangeChecks.size());
  for (std::size_t i = 0; i < passes.size(); ++i) {
    if (!passes[i]) return kRangeChecks[i].Message;
  }
  return std::nullopt;
}

std::string_view CheckNameOf(std::string_view message) {
  for (const TInputCheck& check : kRangeChecks) {
    if (check.Message == message) return check.Name;
  }
  if (message == kInputValueNotCorrect) return "number";
  if (message == kTooManyPoints) return "too_many_points";
  if (message == kTooFewPoints) return "too_few_points";
  return {};
}

std::optional<std::string_view> FailedPointCount(const TSpinCondition& condition) {
  // The last point of zone 3 is the take-up point, the last point of the profile.
  const int last_point = ZoneEndPointFor(condition.Zones[3].EndPosition, condition.Increment);
  if (last_point > MaxPoints) return kTooManyPoints;
  if (last_point < 2) return kTooFewPoints;
  return std::nullopt;
}

}  // namespace vellmor
