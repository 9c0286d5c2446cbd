#pragma once

namespace vellmor {

// A filament velocity in cm/s as the report shows it, in m/min (the unit of the take-up speed).
inline double MetresPerMinute(double centimetres_per_second) {
  return static_cast<double>(centimetres_per_second * 60.0L / 100.0L);
}

}  // namespace vellmor
