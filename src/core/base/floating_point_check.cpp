#include "vellmor/base/floating_point_check.h"

#include <cfenv>

#include "vellmor/base/run_error.h"

namespace vellmor {

void ClearFloatingPointFaults() { std::feclearexcept(FE_ALL_EXCEPT); }

void ThrowOnFloatingPointFault() {
  const int raised = std::fetestexcept(FE_INVALID | FE_DIVBYZERO | FE_OVERFLOW);
  if (raised == 0) return;
  std::feclearexcept(FE_ALL_EXCEPT);
  if (raised & FE_INVALID) {
    throw CalculationError(CalculationFault::kInvalidOperation,
                           "Calculation stopped: invalid floating-point operation");
  }
  if (raised & FE_DIVBYZERO) {
    throw CalculationError(CalculationFault::kDivisionByZero,
                           "Calculation stopped: floating-point division by zero");
  }
  throw CalculationError(CalculationFault::kOverflow,
                         "Calculation stopped: floating-point overflow");
}

}  // namespace vellmor
