#include "vellmor/converged/accuracy_report.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <limits>
#include <memory>
#include <span>

#include "vellmor/analysis/process_numbers.h"
#include "vellmor/base/run_error.h"
#include "vellmor/inputs/spinline_points.h"
#include "vellmor/report/format_fixed.h"
#include "vellmor/solver/calculate_spinline.h"

namespace vellmor {
namespace {

// The error the suggested increment aims at (%).
constexpr double kTargetErrorPercent = 1.0;
// Room for the growth of the error per cm of increment towards small increments.
constexpr double kIncrementMargin = 0.8;
// Marches at ever finer suggested increments before the suggestion is left as it is.
constexpr int kMaxSuggestionChecks = 4;

double ErrorPercent(double classical, double converged) {
  if (converged == 0.0) return std::numeric_limits<double>::quiet_NaN();
  return 100.0 * (classical - converged) / converged;
}

TComparedValue Compare(double converged, double classical) {
  return {converged, classical, ErrorPercent(classical, converged)};
}

// Down to one significant digit: 0.0817 to 0.08, 1.7 to 1.
double RoundDownToOneDigit(double value) {
  const int exponent = static_cast<int>(std::floor(std::log10(value)));
  // Dividing by an exact power of ten keeps 0.08 the double nearest to 0.08.
  if (exponent < 0) {
    const double scale = std::pow(10.0, -exponent);
    return std::floor(value * scale) / scale;
  }
  const double scale = std::pow(10.0, exponent);
  return std::floor(value / scale) * scale;
}

std::string Fixed(double value, int decimals, char decimal_separator) {
  return FormatFixed(value, 15, decimals, decimal_separator);
}

// Fraction digits that show a number of one significant digit in full.
int DecimalsOfOneDigit(double value) {
  return std::max(0, -static_cast<int>(std::floor(std::log10(value))));
}

// The suggested increment, checked by marches where a profile holds it: a march that misses
// 1 % gives a new first-order estimate of its own, nearer the small-increment error constant.
void SuggestCheckedIncrement(const TSpinCondition& condition, double converged_tension, bool check,
                             TAccuracyReport& report) {
  double increment = report.SuggestedIncrement;
  const double length = condition.Zones[3].EndPosition;
  for (int checks = 0;; ++checks) {
    report.SuggestedIncrement = increment;
    report.SuggestedPoints = ZoneEndPointFor(length, increment);
    report.SuggestedIncrementFits = report.SuggestedPoints <= MaxPoints;
    report.SuggestedIncrementErrorPercent.reset();
    if (!check || checks == kMaxSuggestionChecks || !report.SuggestedIncrementFits ||
        report.SuggestedPoints < 2) {
      return;
    }
    auto state = std::make_unique<TRunState>();
    state->Condition = condition;
    state->Condition.Increment = increment;
    try {
      CalculateSpinline(*state);
    } catch (const CalculationError&) {
      return;  // the march cannot check it: the estimate stands as it is
    }
    const double error = ErrorPercent(state->Profile.F[1], converged_tension);
    report.SuggestedIncrementErrorPercent = error;
    if (std::fabs(error) <= kTargetErrorPercent) return;
    const double finer = SuggestIncrement(increment, error);
    increment = finer < increment ? finer : RoundDownToOneDigit(increment * (1.0 - 1e-9));
  }
}

}  // namespace

double SuggestIncrement(double increment, double error_percent) {
  const double error = std::fabs(error_percent);
  if (!(error > 0.0) || !std::isfinite(error)) return increment;
  const double estimate = kIncrementMargin * increment * kTargetErrorPercent / error;
  return RoundDownToOneDigit(estimate);
}

TAccuracyReport CompareWithClassical(const TRunState& classical,
                                     const TConvergedSolution& converged,
                                     const TAccuracyOptions& options) {
  assert(classical.Search.Converged);
  return CompareWithClassical(classical.Condition, SamplesOf(classical.Profile), converged,
                              options);
}

TAccuracyReport CompareWithClassical(const TSpinCondition& condition,
                                     const TSpinlineSamples& classical,
                                     const TConvergedSolution& converged,
                                     const TAccuracyOptions& options) {
  assert(!classical.X.empty());
  TAccuracyReport report;
  report.SpinneretTension = Compare(converged.SpinneretTension, classical.F.front());
  report.TakeUpTension = Compare(converged.TakeUpTension, classical.F.back());
  report.FinalTemperature = Compare(converged.FinalTemperature, classical.T.back());
  report.FinalDiameter = Compare(converged.FinalDiameter, classical.D.back());

  report.ConvergedFreezePoint = converged.FreezePoint;
  if (const std::optional<TFreezePoint> freeze = FindFreezePoint(classical)) {
    report.ClassicalFreezePoint = freeze->PositionCm;
  }
  if (report.ConvergedFreezePoint && report.ClassicalFreezePoint &&
      *report.ConvergedFreezePoint != 0.0) {
    report.FreezePointErrorPercent =
        ErrorPercent(*report.ClassicalFreezePoint, *report.ConvergedFreezePoint);
  }

  report.Increment = condition.Increment;
  report.SuggestedIncrement =
      SuggestIncrement(report.Increment, report.SpinneretTension.ErrorPercent);
  SuggestCheckedIncrement(condition, converged.SpinneretTension, options.CheckSuggestedIncrement,
                          report);
  return report;
}

std::string FormatAccuracySummary(const TAccuracyReport& report, char decimal_separator) {
  const double error = report.SpinneretTension.ErrorPercent;
  std::string line = "Converged solution: spinneret tension " +
                     Fixed(report.SpinneretTension.Converged, 3, decimal_separator) + " dyn";
  if (!std::isfinite(error)) return line;
  line += "; this increment's result is " + Fixed(std::fabs(error), 1, decimal_separator) + " % " +
          (error < 0.0 ? "low" : "high");
  if (std::fabs(error) <= kTargetErrorPercent) return line + ", within 1 %";
  const double suggested = report.SuggestedIncrement;
  line += "; an increment of " +
          Fixed(suggested, DecimalsOfOneDigit(suggested), decimal_separator) + " cm";
  if (const auto& checked = report.SuggestedIncrementErrorPercent) {
    const std::string result = Fixed(std::fabs(*checked), 1, decimal_separator) + " % " +
                               (*checked < 0.0 ? "low" : "high");
    if (std::fabs(*checked) <= kTargetErrorPercent) return line + " is within 1 % (" + result + ")";
    return line + " is still " + result;
  }
  line += " would be within 1 %";
  if (!report.SuggestedIncrementFits) {
    line += " (" + std::to_string(report.SuggestedPoints) + " points, more than the " +
            std::to_string(MaxPoints) + " a profile holds)";
  }
  return line;
}

}  // namespace vellmor
