#pragma once

#include <string>

namespace vellmor {

// FormatFixed(value, width, decimals) right-aligned in a column of `width` characters; a
// longer text is returned whole, never cut.
std::string FormatRight(int width, int decimals, double value, char decimal_separator = '.');

}  // namespace vellmor
