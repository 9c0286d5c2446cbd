#include "core/format_right.h"

namespace vellmor {

std::string FormatRight(int, int, double, char) { return {}; }

}  // namespace vellmor
