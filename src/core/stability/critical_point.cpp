#include "vellmor/stability/critical_point.h"

#include <cmath>
#include <utility>

#include "vellmor/base/run_error.h"

namespace vellmor {
namespace {

constexpr double kValueTolerance = 1e-6;
constexpr int kMaxRefinements = 60;

}  // namespace

TCriticalPoint FindCriticalPoint(const StabilityAt& at, double start) {
  TCriticalPoint point;
  std::optional<TLineStability> line = at(start);
  ++point.Evaluations;
  if (!line) {
    throw CalculationError(CalculationFault::kNoConvergence,
                           "The line can not be analysed at the value given");
  }
  point.Upwards = line->Stable();
  const double factor = point.Upwards ? kCriticalStep : 1.0 / kCriticalStep;
  // The bracket: a stable and an unstable value with their growth rates.
  double a = start, ga = line->GrowthRate();
  std::optional<TLineStability> line_a = std::move(line);
  double b = 0.0, gb = 0.0;
  std::optional<TLineStability> line_b;
  for (int step = 0; step < kCriticalSteps; ++step) {
    const double next = a * factor;
    std::optional<TLineStability> there = at(next);
    ++point.Evaluations;
    if (!there) break;
    const double g = there->GrowthRate();
    if ((g < 0.0) != (ga < 0.0)) {
      b = next;
      gb = g;
      line_b = std::move(there);
      break;
    }
    a = next;
    ga = g;
    line_a = std::move(there);
  }
  if (!line_b) {
    point.Value = a;
    point.Line = std::move(line_a);
    return point;
  }
  // Illinois: the end that stays has its value halved, so that neither end sticks.
  int kept_side = 0;
  for (int i = 0; i < kMaxRefinements && std::fabs(b - a) > kValueTolerance * std::fabs(b); ++i) {
    const double c = b - gb * (b - a) / (gb - ga);
    std::optional<TLineStability> there = at(c);
    ++point.Evaluations;
    if (!there) break;
    const double g = there->GrowthRate();
    if (g == 0.0) {
      a = b = c;
      line_b = std::move(there);
      break;
    }
    if ((g < 0.0) == (gb < 0.0)) {
      b = c;
      gb = g;
      line_b = std::move(there);
      if (kept_side == -1) ga /= 2.0;
      kept_side = -1;
    } else {
      a = c;
      ga = g;
      line_a = std::move(there);
      if (kept_side == 1) gb /= 2.0;
      kept_side = 1;
    }
  }
  point.Found = true;
  // The nearer end to the crossing, by its growth rate.
  if (std::fabs(line_a->GrowthRate()) < std::fabs(line_b->GrowthRate())) {
    point.Value = a;
    point.Line = std::move(line_a);
  } else {
    point.Value = b;
    point.Line = std::move(line_b);
  }
  return point;
}

}  // namespace vellmor
