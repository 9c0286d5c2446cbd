#include "core/format_fixed.h"

namespace vellmor {

std::string FormatFixed(double, int, int, char) { return {}; }

}  // namespace vellmor
