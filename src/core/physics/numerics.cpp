#include "core/physics/numerics.h"

#include "core/physics/extended_math.h"

namespace vellmor {

long double Power(long double base, long double exponent) {
  if (base == 0.0L) return 0.0L;
  if (base == 1.0L) return 1.0L;  // exp(b · 0), exactly; still air makes this common
  return ExpExtended(exponent * LnExtended(base));
}

}  // namespace vellmor
