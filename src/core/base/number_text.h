#pragma once

// Numbers as text: the one home of every number Vellmor reads from a user or writes for a
// program. (The result file's own fixed notation, FormatFixed, is the report's.)

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vellmor {

// The parts of a number in the grammar of an input field, which a range bound of a sweep
// shares:
//
//   field    = blank* [sign] mantissa [exponent] blank*
//   mantissa = digit+ [separator digit*] | separator digit+
//   exponent = ("E" | "e") [sign] digit+
//
// blank is the ordinary space only, sign "+" or "-", digit the ASCII digits 0 to 9, separator
// the decimal separator given.
struct TNumberParts {
  bool Negative = false;
  std::string_view Whole;     // the digits before the separator; may be empty
  std::string_view Fraction;  // the digits after it; may be empty
  bool NegativeExponent = false;
  std::string_view Exponent;  // the exponent's digits; empty without an exponent
};

// The parts of text, or nullopt when it does not have the form above.
std::optional<TNumberParts> SplitNumberText(std::string_view text, char decimal_separator);

// The shortest text that reads back as the same double, with a point whatever the locale
// ("0.1", "1e-07", "-0"). nullopt for an infinity or a NaN: every writer of a table writes an
// empty cell for those, as for a number that is missing.
std::optional<std::string> ShortestText(double value);

// value to digits significant digits, in exponent form where that is shorter ("0.000137",
// "1.37e-07"); "-" for a value that is not finite. What a fit prints of its estimates.
std::string SignificantText(double value, int digits = 6);

// value with exactly `decimals` fraction digits and a point, rounded to nearest: messages read
// the same in the window and the runner.
std::string FixedPointText(double value, int decimals);

// units × 10^-decimals written out exactly, with decimal_separator: "-0,50" for (-50, 2, ',').
std::string ScaledIntegerText(std::int64_t units, int decimals, char decimal_separator);

}  // namespace vellmor
