// Fixed-notation text of a number, as both the condition header and the table of results write
// their values. The value is taken as 0.d1 d2 … d18 × 10^E; the digits kept are those down to
// the `decimals`-th place after the point, at most `precision` of them, rounded half away from
// zero in the last kept place. A value with more integer digits than the precision is written
// in exponent form, d1.d2… E(E − 1).

#include "vellmor/report/format_fixed.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string_view>

namespace vellmor {
namespace {

constexpr int kSignificantDigits = 18;
constexpr int kMinPrecision = 2;
constexpr int kMaxPrecision = 18;
constexpr int kMaxDecimals = 18;
// Exponent forms with this many decimals or fewer show at least that many exponent digits.
constexpr int kMaxPaddedExponentDecimals = 4;

// A magnitude as 0.d1 d2 … × 10^E: its significant digits, d1 not zero, and E. Zero, and a
// number that rounds away to nothing, has no digits.
struct TDecimalDigits {
  std::string digits;
  int exponent = 0;
};

// The 18 leading significant digits of |value|, the 18th rounded to nearest, ties to even.
// std::to_chars is exact and ignores the locale (the window sets LC_ALL from the environment).
TDecimalDigits LeadingDigits(double magnitude) {
  // "d.ddddddddddddddddde-xxx": 1 + 1 + 17 + 2 + 3 characters at most.
  char buffer[32];
  const std::to_chars_result result =
      std::to_chars(buffer, buffer + sizeof buffer, magnitude, std::chars_format::scientific,
                    kSignificantDigits - 1);
  const std::string_view text(buffer, static_cast<std::size_t>(result.ptr - buffer));
  const std::size_t e_at = text.find('e');
  TDecimalDigits out;
  out.digits.reserve(kSignificantDigits);
  out.digits += text[0];
  out.digits.append(text.substr(2, e_at - 2));
  int scientific_exponent = 0;
  const char* first = text.data() + e_at + 1;
  if (*first == '+') ++first;
  std::from_chars(first, text.data() + text.size(), scientific_exponent);
  // d.ddd × 10^e is 0.dddd × 10^(e + 1).
  out.exponent = scientific_exponent + 1;
  return out;
}

// Keeps the first `kept` digits (0 ≤ kept < 18), rounding half away from zero; a carry out of
// the first digit leaves the single digit 1 one power of ten higher.
void RoundToDigits(TDecimalDigits& number, int kept) {
  const auto count = static_cast<std::size_t>(kept);
  const bool round_up = number.digits[count] >= '5';
  number.digits.resize(count);
  if (!round_up) return;
  for (std::size_t i = count; i-- > 0;) {
    if (number.digits[i] != '9') {
      ++number.digits[i];
      return;
    }
    number.digits[i] = '0';
  }
  number.digits.assign(1, '1');
  ++number.exponent;
}

std::string ExponentForm(bool negative, const TDecimalDigits& number, int decimals,
                         char decimal_separator) {
  std::string text;
  if (negative) text += '-';
  text += number.digits[0];
  if (number.digits.size() > 1) {
    text += decimal_separator;
    text.append(number.digits, 1);
  }
  text += 'E';
  std::string exponent = std::to_string(number.exponent - 1);
  if (decimals <= kMaxPaddedExponentDecimals && std::ssize(exponent) < decimals) {
    exponent.insert(0, static_cast<std::size_t>(decimals) - exponent.size(), '0');
  }
  return text + exponent;
}

// Integer part of exactly E digits ("0" when E ≤ 0), then exactly `decimals` fraction digits.
std::string FixedForm(bool negative, const TDecimalDigits& number, int decimals,
                      char decimal_separator) {
  const std::string& digits = number.digits;
  const int e = number.exponent;
  const int digit_count = static_cast<int>(digits.size());
  auto digit_at = [&](int i) { return i >= 0 && i < digit_count ? digits[i] : '0'; };

  std::string text;
  if (negative) text += '-';
  if (e <= 0) {
    text += '0';
  } else {
    for (int i = 0; i < e; ++i) text += digit_at(i);
  }
  if (decimals > 0) {
    text += decimal_separator;
    // Fraction digit j (1-based) is significant digit E + j − 1; before the first one, zeros.
    for (int j = 1; j <= decimals; ++j) text += digit_at(e + j - 1);
  }
  return text;
}

}  // namespace

std::string FormatFixed(double value, int precision, int decimals, char decimal_separator) {
  precision = std::clamp(precision, kMinPrecision, kMaxPrecision);
  decimals = std::clamp(decimals, 0, kMaxDecimals);
  if (std::isinf(value)) return value < 0 ? "-INF" : "INF";
  if (std::isnan(value)) return "NAN";

  TDecimalDigits number;
  if (value != 0.0) {
    number = LeadingDigits(std::fabs(value));
    const int kept = std::min(number.exponent + decimals, precision);
    if (kept < 0) {
      number.digits.clear();
    } else if (kept < kSignificantDigits) {
      RoundToDigits(number, kept);
    }
    while (!number.digits.empty() && number.digits.back() == '0') number.digits.pop_back();
  }
  if (number.digits.empty()) number.exponent = 0;  // zero: no digits, no sign
  const bool negative = !number.digits.empty() && std::signbit(value);

  if (number.exponent > precision) {
    return ExponentForm(negative, number, decimals, decimal_separator);
  }
  return FixedForm(negative, number, decimals, decimal_separator);
}

}  // namespace vellmor
