// The card's number grammar is the input fields' with a point and without blanks; each
// arithmetic reads the text itself, correctly rounded (std::from_chars).

#include "vellmor/model_card/card_number.h"

#include <charconv>
#include <cmath>
#include <system_error>

#include "vellmor/base/number_text.h"

namespace vellmor {
namespace {

template <class Real>
std::optional<Real> ReadNumber(std::string_view text) {
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  Real value{};
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(value)) {
    return std::nullopt;
  }
  return value;
}

bool IsCardNumberText(std::string_view text) {
  return !text.empty() && text.front() != ' ' && text.back() != ' ' &&
         SplitNumberText(text, '.').has_value();
}

std::string Text(double value) { return ShortestText(value).value_or("nan"); }

}  // namespace

std::optional<double> CardNumber(std::string_view text) {
  if (!IsCardNumberText(text)) return std::nullopt;
  return ReadNumber<double>(text);
}

std::optional<TCardNumber> CardNumberInBoth(std::string_view text) {
  const std::optional<double> value = CardNumber(text);
  if (!value) return std::nullopt;
  const std::optional<long double> extended = ReadNumber<long double>(text);
  if (!extended) return std::nullopt;
  return TCardNumber{*value, *extended};
}

std::string CardNumberText(double value) {
  const double magnitude = std::fabs(value);
  if (value == 0.0 || magnitude < 1e-5 || magnitude >= 1e15) return Text(value);
  char text[64];
  const auto result = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed);
  return result.ec == std::errc() ? std::string(text, result.ptr) : Text(value);
}

}  // namespace vellmor
