#pragma once

// The units the reports and exports give besides the model's CGS: what a reader of a document
// needs without the model's arithmetic.

namespace vellmor {

// Micrometres per centimetre: diameters as the exports and the process numbers give them.
inline constexpr double kMicrometresPerCm = 1e4;

// A filament velocity in cm/s as the report shows it, in m/min (the unit of the take-up speed).
inline double MetresPerMinute(double centimetres_per_second) {
  return static_cast<double>(centimetres_per_second * 60.0L / 100.0L);
}

}  // namespace vellmor
