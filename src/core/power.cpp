#include "core/power.h"

#include <cmath>

namespace vellmor {

long double Power(long double base, long double exponent) {
  if (base == 0.0L) return 0.0L;
  return std::exp(exponent * std::log(base));
}

}  // namespace vellmor
