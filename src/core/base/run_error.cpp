#include "core/base/run_error.h"

#include <charconv>
#include <cmath>

namespace vellmor {
namespace {

// value with exactly `decimals` fraction digits and a point: to_chars ignores the locale, so a
// message reads the same in the window and the runner.
std::string FixedText(double value, int decimals) {
  char text[64];
  const std::to_chars_result written =
      std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, decimals);
  return {text, written.ec == std::errc{} ? written.ptr : text};
}

}  // namespace

std::string PlaceAlongSpinline(double x, double increment) {
  int decimals = 1;
  // An increment of 0.05 cm puts points at 0.05, 0.10, …: show the second decimal too.
  for (double scaled = increment * 10.0;
       decimals < 4 && std::fabs(scaled - std::nearbyint(scaled)) > 1e-9 * std::fabs(scaled);
       scaled *= 10.0) {
    ++decimals;
  }
  return " at x = " + FixedText(x, decimals) + " cm";
}

std::string PlaceInPass(int pass, double spinneret_tension) {
  return " in pass " + std::to_string(pass) + " (spinneret tension " +
         FixedText(spinneret_tension, 3) + " dyn)";
}

}  // namespace vellmor
