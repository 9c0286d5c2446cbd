#include "vellmor/base/number_text.h"

#include <array>
#include <charconv>
#include <cmath>

namespace vellmor {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsSign(char c) { return c == '+' || c == '-'; }

// The run of digits of text from pos; pos moves past it.
std::string_view Digits(std::string_view text, std::size_t& pos) {
  const std::size_t start = pos;
  while (pos < text.size() && IsDigit(text[pos])) ++pos;
  return text.substr(start, pos - start);
}

}  // namespace

std::optional<TNumberParts> SplitNumberText(std::string_view text, char decimal_separator) {
  std::size_t pos = 0;
  std::size_t end = text.size();
  while (pos < end && text[pos] == ' ') ++pos;
  while (end > pos && text[end - 1] == ' ') --end;
  text = text.substr(0, end);

  TNumberParts parts;
  if (pos < text.size() && IsSign(text[pos])) parts.Negative = text[pos++] == '-';
  parts.Whole = Digits(text, pos);
  if (pos < text.size() && text[pos] == decimal_separator) {
    ++pos;
    parts.Fraction = Digits(text, pos);
  }
  if (parts.Whole.empty() && parts.Fraction.empty()) return std::nullopt;
  if (pos < text.size() && (text[pos] == 'E' || text[pos] == 'e')) {
    ++pos;
    if (pos < text.size() && IsSign(text[pos])) parts.NegativeExponent = text[pos++] == '-';
    parts.Exponent = Digits(text, pos);
    if (parts.Exponent.empty()) return std::nullopt;
  }
  if (pos != text.size()) return std::nullopt;
  return parts;
}

std::optional<std::string> ShortestText(double value) {
  if (!std::isfinite(value)) return std::nullopt;
  std::array<char, 32> text{};
  const auto [end, error] = std::to_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc()) return std::nullopt;
  return std::string(text.data(), end);
}

std::string FixedPointText(double value, int decimals) {
  // Wide enough for the largest double in full.
  std::array<char, 512> text{};
  const auto [end, error] = std::to_chars(text.data(), text.data() + text.size(), value,
                                          std::chars_format::fixed, decimals);
  return error == std::errc() ? std::string(text.data(), end) : std::string();
}

std::string ScaledIntegerText(std::int64_t units, int decimals, char decimal_separator) {
  const bool negative = units < 0;
  // The magnitude as unsigned, so that the most negative 64-bit value has one too.
  const std::uint64_t magnitude = negative ? std::uint64_t{0} - static_cast<std::uint64_t>(units)
                                           : static_cast<std::uint64_t>(units);
  std::string digits = std::to_string(magnitude);
  if (digits.size() <= static_cast<std::size_t>(decimals)) {
    digits.insert(0, static_cast<std::size_t>(decimals) + 1 - digits.size(), '0');
  }
  std::string text = negative ? "-" : "";
  text += digits.substr(0, digits.size() - static_cast<std::size_t>(decimals));
  if (decimals > 0) {
    text += decimal_separator;
    text += digits.substr(digits.size() - static_cast<std::size_t>(decimals));
  }
  return text;
}

}  // namespace vellmor
