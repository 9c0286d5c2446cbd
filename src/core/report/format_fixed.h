#pragma once

#include <string>

namespace vellmor {

// Fixed-notation text of value with at most `precision` significant digits (held to 2 … 18)
// and exactly `decimals` fraction digits; exponent form ("1.2346E5") when the integer digits
// outnumber the precision. "INF", "-INF", "NAN"; never a negative zero.
std::string FormatFixed(double value, int precision, int decimals, char decimal_separator = '.');

}  // namespace vellmor
