#pragma once

namespace vellmor {

// base^exponent for a non-integral exponent, as exp(exponent * ln base) in extended precision;
// a base of exactly 0 gives 0. A negative base is an invalid operation (ln of a negative).
long double Power(long double base, long double exponent);

}  // namespace vellmor
