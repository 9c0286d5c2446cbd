#pragma once

// What extended_math.cpp and extended_math_exact.cpp share, and what the tests look into: the
// fast double-double approximations with their error bounds, and the exact path alone.

#include "vellmor/physics/extended_math.h"
#include "vellmor/physics/extended_math_tables.h"

namespace vellmor::extended_math {

// e^x = (y.hi + y.lo) · 2^scale with |error| < kExpErrorBound · 2^scale, y in [0.9999, 2).
inline constexpr double kExpErrorBound = 0x1p-86;

// The fast approximations; false where the fast path does not apply: for exp outside
// 2^-70 <= |x|, -11354 <= x < 11356; for ln at 0, negative, infinite or NaN arguments.
bool ExpApproximation(long double x, DoubleDouble& y, int& scale);
// ln x = y.hi + y.lo with |error| <= bound, a bound of 2^-85 + 2^-96 |ln x| (within 2^-14 of
// x = 1, a relative one).
bool LnApproximation(long double x, DoubleDouble& y, double& bound);

// The exact path: multi-word fixed-point arithmetic, precision raised until the rounding is
// decided. ExpExact takes any finite x; LnExact any positive finite x. They raise overflow
// where e^x overflows and no other exception.
long double ExpExact(long double x);
long double LnExact(long double x);

// ExpExtended, LnExtended and PowerExtended as they run on a processor without the fused
// multiply-add; where it has one, they must give the same bits.
long double ExpWithoutFma(long double x);
long double LnWithoutFma(long double x);
long double PowerWithoutFma(long double base, long double exponent);

}  // namespace vellmor::extended_math
