#pragma once

// Where the leading growth rate crosses zero as one value (an input, a card constant) moves:
// from the value given, steps of a factor kCriticalStep up while the line is stable (down
// while it is not) until the sign changes, then the Illinois variant of regula falsi inside
// the bracket until it is a millionth of the value wide. The growth rate is that of the
// leading mode, which may change from one mode to another on the way: continuous, if not
// smooth, in the value.

#include <functional>
#include <optional>

#include "vellmor/stability/line_stability.h"

namespace vellmor {

inline constexpr double kCriticalStep = 1.5;
inline constexpr int kCriticalSteps = 13;  // a factor of 1.5^13, about 200, each way

// The line at one value of the parameter, or none where the value is outside its range or
// the steady line can not be solved there: the search ends at the last value that was.
using StabilityAt = std::function<std::optional<TLineStability>(double value)>;

struct TCriticalPoint {
  bool Found = false;
  bool Upwards = true;                 // the search went up from the start (the start was stable)
  double Value = 0.0;                  // the crossing; without it, the last value analysed
  std::optional<TLineStability> Line;  // at Value
  int Evaluations = 0;
};

// The crossing from start (start must analyse). Throws CalculationError where start does not.
TCriticalPoint FindCriticalPoint(const StabilityAt& at, double start);

}  // namespace vellmor
