#pragma once

#include <array>

namespace vellmor {

// ln x and e^x of an x87 extended-precision argument (64-bit significand), correctly rounded:
// the long double nearest to the exact value. (There are no ties to break: apart from ln 1 = 0
// and e^0 = 1 the exact values are transcendental.) Results that underflow are rounded to the
// subnormal grid like any other.
//
// Floating-point exceptions as the run's fault checks expect them: ln of a negative number or
// of a NaN is an invalid operation (NaN), ln 0 a division by zero (-inf), e^x above the largest
// long double an overflow (+inf). Nothing else raises invalid, division by zero or overflow.
long double LnExtended(long double x);
long double ExpExtended(long double x);

// The power law of the correlations, base^exponent = e^(exponent · ln base) with a base of
// exactly 0 giving 0: ExpExtended(exponent * LnExtended(base)) with the product rounded to long
// double as the x87 rounds it, to the same bits and exceptions (none for a base of 0). Faster
// than that composition: the base's bits are read once, and ln base and the product stay in
// integer registers instead of passing through the x87.
long double PowerExtended(long double base, long double exponent);
// The same for a base that is a double (a stored velocity, say): its bits are read straight
// from the register it arrives in, which spares the trip through memory that an x87 argument
// takes, on the critical path of every stage.
long double PowerExtended(double base, long double exponent);

// One power law base^exponent of several evaluated together (extended_math_kernels.h,
// Lanes).
struct TPowerLaw {
  long double base = 0.0L;
  long double exponent = 0.0L;
};

}  // namespace vellmor
