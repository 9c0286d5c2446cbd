#pragma once

#include <optional>
#include <string_view>

namespace vellmor {

// The number typed into an input field: optional blanks, an optional sign, digits with at
// most one decimal separator, an optional exponent (E or e, optional sign, digits), optional
// blanks, and nothing else. Converted in extended precision and rounded to double; nullopt
// when the text has another form or the magnitude is too large for a double.
std::optional<double> ConvertNumber(std::string_view text, char decimal_separator);

}  // namespace vellmor
