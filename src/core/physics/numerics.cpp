#include "core/physics/numerics.h"

#include "core/physics/extended_math.h"

namespace vellmor {

long double Power(long double base, long double exponent) {
  // PowerExtended gives 0 for a base of 0, and 1 straight away for a base of 1 (still air
  // makes that common). The base goes to it untouched: loading it into the x87 to compare and
  // storing it again would cost more than the logarithm.
  return PowerExtended(base, exponent);
}

}  // namespace vellmor
