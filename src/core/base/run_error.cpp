#include "vellmor/base/run_error.h"

#include <cmath>

#include "vellmor/base/number_text.h"

namespace vellmor {
std::string PlaceAlongSpinline(double x, double increment) {
  int decimals = 1;
  // An increment of 0.05 cm puts points at 0.05, 0.10, …: show the second decimal too.
  for (double scaled = increment * 10.0;
       decimals < 4 && std::fabs(scaled - std::nearbyint(scaled)) > 1e-9 * std::fabs(scaled);
       scaled *= 10.0) {
    ++decimals;
  }
  return " at x = " + FixedPointText(x, decimals) + " cm";
}

std::string PlaceInPass(int pass, double spinneret_tension) {
  return " in pass " + std::to_string(pass) + " (spinneret tension " +
         FixedPointText(spinneret_tension, 3) + " dyn)";
}

std::string_view FaultName(CalculationFault fault) {
  switch (fault) {
    case CalculationFault::kInvalidOperation:
      return "invalid_operation";
    case CalculationFault::kDivisionByZero:
      return "division_by_zero";
    case CalculationFault::kOverflow:
      return "overflow";
    case CalculationFault::kNoConvergence:
      return "no_convergence";
    case CalculationFault::kTooManyPoints:
      return "too_many_points";
    case CalculationFault::kTooFewPoints:
      return "too_few_points";
    case CalculationFault::kStepSizeUnderflow:
      return "step_size_underflow";
    case CalculationFault::kAirPoleOnTheLine:
      return "air_pole_on_the_line";
  }
  return "unknown";
}

}  // namespace vellmor
