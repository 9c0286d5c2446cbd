// ParseFitParameter of spinline_fit.h: a constant to fit, as a user types it.

#include <optional>
#include <string>
#include <vector>

#include "vellmor/fit/spinline_fit.h"
#include "vellmor/model_card/model_card.h"

namespace vellmor {

std::variant<TFitParameter, std::string> ParseFitParameter(std::string_view text) {
  const std::size_t equals = text.find('=');
  TFitParameter parameter;
  parameter.Key = FindModelKey(text.substr(0, equals));
  if (parameter.Key == nullptr) {
    return "'" + std::string(text.substr(0, equals)) +
           "' is not a card key (the command model lists them)";
  }
  if (equals == std::string_view::npos) return parameter;
  std::vector<std::optional<double>> numbers;
  std::string_view rest = text.substr(equals + 1);
  while (true) {
    const std::size_t colon = rest.find(':');
    const std::optional<double> number = CardNumber(rest.substr(0, colon));
    if (!number) return "expected KEY, KEY=START or KEY=START:LO:HI";
    numbers.push_back(number);
    if (colon == std::string_view::npos) break;
    rest.remove_prefix(colon + 1);
  }
  if (numbers.size() != 1 && numbers.size() != 3) {
    return "expected KEY, KEY=START or KEY=START:LO:HI";
  }
  parameter.Start = numbers[0];
  if (numbers.size() == 3) {
    parameter.Lo = numbers[1];
    parameter.Hi = numbers[2];
    if (!(*parameter.Lo < *parameter.Start && *parameter.Start < *parameter.Hi)) {
      return "the start must lie between the bounds, LO < START < HI";
    }
  }
  return parameter;
}

}  // namespace vellmor
