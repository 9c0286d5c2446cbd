#pragma once

#include <cfloat>
#include <cmath>

#include "vellmor/physics/extended_math.h"
#include "vellmor/physics/spinline_laws.h"

namespace vellmor {

// Every formula is evaluated in x87 extended precision and stored as double; the result file
// is the same to the last byte only with a 64-bit significand in the intermediate results.
static_assert(LDBL_MANT_DIG == 64,
              "long double must be the x87 80-bit format: the result file depends on it");

// The solver's own constants, shortened as the correlations were fitted with them:
// pi to eight digits, pi/4 from it, 273 (not 273.15) for kelvin, g in cm/s².
inline constexpr long double kPi = kClassicalConstants.Pi;
inline constexpr long double kQuarterPi = kClassicalConstants.QuarterPi;
inline constexpr long double kKelvinOffset = kClassicalConstants.KelvinOffset;
inline constexpr long double kGravity = kClassicalConstants.Gravity;

// base^exponent for a non-integral exponent, as exp(exponent * ln base) in extended precision;
// a base of exactly 0 gives 0. A negative base is an invalid operation (ln of a negative).
// The logarithm and the exponential are the correctly rounded ones, which give 1 straight away
// for a base of 1 (still air makes that common).
inline long double Power(long double base, long double exponent) {
  return PowerExtended(base, exponent);
}
inline long double Power(double base, long double exponent) {
  return PowerExtended(base, exponent);
}

// Power(a, 0.5) rounded to double, as the filament diameter √(4 W / (π V ρ)) is taken in the
// spinline equations; from the x87 square root wherever that settles the double, which saves
// a logarithm and an exponential at nearly every stage.
//
// Why the square root may stand in: Power(a, 0.5) = P is e^(L/2) rounded, L = ln a rounded,
// both to 64 bits (relative error 2^-64 each). For 2^-24 <= a <= 2^24, |ln a| <= 16.64, so
// |L/2 - ln √a| <= 2^-65 · 16.64 = 2^-60.94 and |P - √a| < 2^-60.6 √a; the square root s is
// within 2^-64 √a. With s ± s 2^-60 (each end rounded to 64 bits, which moves it by at most
// 2^-64 s) P lies between the two ends, and if both round to the same double, so does P:
// rounding is monotonic. About one call in a hundred falls on a double's rounding boundary
// and takes the power law itself; so does every a outside the range (or NaN), which also
// raises the same floating-point exceptions as the power law.
inline double SquareRootByPower(long double a) {
  if (a >= 0x1p-24L && a <= 0x1p24L) {
    const long double root = std::sqrt(a);
    const long double margin = root * 0x1p-60L;
    const double below = static_cast<double>(root - margin);
    const double above = static_cast<double>(root + margin);
    if (below == above) return below;
  }
  return static_cast<double>(Power(a, 0.5L));
}

// Micrometres per centimetre: diameters as the exports and the process numbers give them.
inline constexpr double kMicrometresPerCm = 1e4;

// A filament velocity in cm/s as the report shows it, in m/min (the unit of the take-up speed).
inline double MetresPerMinute(double centimetres_per_second) {
  return static_cast<double>(centimetres_per_second * 60.0L / 100.0L);
}

}  // namespace vellmor
