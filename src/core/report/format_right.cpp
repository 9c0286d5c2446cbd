#include "vellmor/report/format_right.h"

#include "vellmor/report/format_fixed.h"

namespace vellmor {

std::string FormatRight(int width, int decimals, double value, char decimal_separator) {
  // The column width doubles as the precision: a column never shows more significant digits
  // than it has characters.
  std::string text = FormatFixed(value, width, decimals, decimal_separator);
  const auto length = static_cast<int>(text.size());
  if (length >= 3 && length < width) {
    text.insert(0, static_cast<std::size_t>(width - length), ' ');
  }
  return text;
}

}  // namespace vellmor
