#pragma once

#include <cfloat>

namespace vellmor {

// Every formula is evaluated in x87 extended precision and stored as double; the result file
// is the same to the last byte only with a 64-bit significand in the intermediate results.
static_assert(LDBL_MANT_DIG == 64,
              "long double must be the x87 80-bit format: the result file depends on it");

// The solver's own constants, shortened as the correlations were fitted with them:
// pi to eight digits, pi/4 from it, 273 (not 273.15) for kelvin, g in cm/s².
inline constexpr long double kPi = 3.1415926L;
inline constexpr long double kQuarterPi = 0.78539815L;
inline constexpr long double kKelvinOffset = 273.0L;
inline constexpr long double kGravity = 980.0L;

// base^exponent for a non-integral exponent, as exp(exponent * ln base) in extended precision;
// a base of exactly 0 gives 0. A negative base is an invalid operation (ln of a negative).
long double Power(long double base, long double exponent);

// A filament velocity in cm/s as the report shows it, in m/min (the unit of the take-up speed).
inline double MetresPerMinute(double centimetres_per_second) {
  return static_cast<double>(centimetres_per_second * 60.0L / 100.0L);
}

}  // namespace vellmor
