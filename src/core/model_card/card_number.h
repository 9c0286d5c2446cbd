#pragma once

// The numbers of a model card: one grammar for every card, setting and cell, read the same
// under every locale, and written so that a printed card reads back to the same double.

#include <optional>
#include <string>
#include <string_view>

namespace vellmor {

// A constant in both arithmetics of the converged model: the laws' double and the x87 long
// double of the spinneret exit, each correctly rounded from the same decimal text (2.84e-4 is
// not the double widened).
struct TCardNumber {
  double Value = 0.0;
  long double Extended = 0.0L;

  friend bool operator==(const TCardNumber&, const TCardNumber&) = default;
};

// A card's number: optional sign, digits with an optional point, optional exponent; no blanks
// (YAML has trimmed them), no infinity, no hexadecimal. nullopt when text is not one, or
// beyond a double's range.
std::optional<double> CardNumber(std::string_view text);

// The same text read in both arithmetics.
std::optional<TCardNumber> CardNumberInBoth(std::string_view text);

// A constant as the card shows it: the shortest text that reads back as the same double, in
// positional notation where that stays short (0.0005 rather than 5e-04, as people write it).
std::string CardNumberText(double value);

}  // namespace vellmor
