#include "core/floating_point_check.h"

namespace vellmor {

void ClearFloatingPointFaults() {}
void ThrowOnFloatingPointFault() {}

}  // namespace vellmor
