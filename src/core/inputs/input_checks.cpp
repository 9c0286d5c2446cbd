#include "vellmor/inputs/input_checks.h"

#include <array>
#include <utility>

#include "vellmor/base/number_text.h"
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

// Whether each of the thirteen checks passes, the IV's verdict given.
std::array<bool, 13> Passes(const TSpinCondition& condition, bool iv_passes) {
  const TSpinCondition& c = condition;
  // Still air (a velocity of 0) is allowed; every length, speed and temperature must be
  // strictly positive.
  return {
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
      iv_passes,
      c.Increment > 0.0,
      !c.SaveFileName.empty(),
  };
}

constexpr std::size_t kIvCheck = 10;
static_assert(kRangeChecks[kIvCheck].Name == "iv");

}  // namespace

std::optional<std::string_view> FailedCheck(const TSpinCondition& condition) {
  const std::array<bool, 13> passes = Passes(condition, IVInRange(condition.IV));
  static_assert(passes.size() == kRangeChecks.size());
  for (std::size_t i = 0; i < passes.size(); ++i) {
    if (!passes[i]) return kRangeChecks[i].Message;
  }
  return std::nullopt;
}

std::optional<std::string> FailedConvergedCheck(const TSpinCondition& condition,
                                                const TIvRange& iv) {
  const double value = condition.IV;
  const std::array<bool, 13> passes = Passes(condition, value >= iv.Low && value <= iv.High);
  for (std::size_t i = 0; i < passes.size(); ++i) {
    if (passes[i]) continue;
    if (i != kIvCheck) return std::string(kRangeChecks[i].Message);
    const auto text = [](double number) { return ShortestText(number).value_or("nan"); };
    return "IV " + text(value) + std::string(kIvOutsideValidRange) + text(iv.Low) + " to " +
           text(iv.High);
  }
  return std::nullopt;
}

std::string_view CheckNameOf(std::string_view message) {
  for (const TInputCheck& check : kRangeChecks) {
    if (check.Message == message) return check.Name;
  }
  if (message.starts_with("IV ") && message.find(kIvOutsideValidRange) != std::string_view::npos) {
    return kRangeChecks[kIvCheck].Name;
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
