#include "core/run/run_error.h"

#include <charconv>
#include <cmath>

namespace vellmor {

std::string PlaceAlongSpinline(double x, double increment) {
  int decimals = 1;
  // An increment of 0.05 cm puts points at 0.05, 0.10, …: show the second decimal too.
  for (double scaled = increment * 10.0;
       decimals < 4 && std::fabs(scaled - std::nearbyint(scaled)) > 1e-9 * std::fabs(scaled);
       scaled *= 10.0) {
    ++decimals;
  }
  char text[64];
  // to_chars ignores the locale: the message reads the same in the window and the runner.
  const std::to_chars_result written =
      std::to_chars(text, text + sizeof text, x, std::chars_format::fixed, decimals);
  std::string place = " at x = ";
  place.append(text, written.ec == std::errc{} ? written.ptr : text);
  place += " cm";
  return place;
}

}  // namespace vellmor
