#include "core/physics/numerics.h"

#include <cmath>

namespace vellmor {

long double Power(long double base, long double exponent) {
  if (base == 0.0L) return 0.0L;
  if (base == 1.0L) return 1.0L;  // exp(b · 0), exactly; still air makes this common
  return std::exp(exponent * std::log(base));
}

}  // namespace vellmor
