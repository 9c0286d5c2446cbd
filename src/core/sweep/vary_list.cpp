// The values one --vary gives an input field: a list of texts as typed, or an inclusive range
// start:stop:step computed in exact decimal arithmetic.
//
// A range's bounds are read as scaled integers, value = units × 10^exponent, so that
// 0.1 + 2 × 0.1 is 0.3 and not 0.30000000000000004, and a range never gains or loses its last
// value to binary rounding. All three are brought to the smallest exponent (and at most 10^0);
// value i is then the integer start + i × step, written with the decimals of start or step.

#include "vellmor/sweep/vary_list.h"

#include <algorithm>
#include <cstdint>
#include <optional>

#include "vellmor/base/number_text.h"

namespace vellmor {
namespace {

// The most significant digits a bound may have: the scaled integers are 64-bit.
constexpr int kMaxDigits = 18;

struct TDecimal {
  std::int64_t Units = 0;
  int Exponent = 0;
};

// A number in the grammar of an input field (blanks, sign, digits with one separator, an
// exponent) as units × 10^exponent; nullopt when it has another form or too many digits.
std::optional<TDecimal> ReadDecimal(std::string_view text, char separator) {
  const std::optional<TNumberParts> parts = SplitNumberText(text, separator);
  if (!parts) return std::nullopt;
  std::int64_t units = 0;
  int significant = 0;
  int exponent = -static_cast<int>(parts->Fraction.size());
  for (const std::string_view digits : {parts->Whole, parts->Fraction}) {
    for (const char c : digits) {
      if (significant == 0 && c == '0') continue;
      if (++significant > kMaxDigits) return std::nullopt;
      units = units * 10 + (c - '0');
    }
  }
  int written = 0;
  for (const char c : parts->Exponent) {
    written = written * 10 + (c - '0');
    if (written > 400) return std::nullopt;  // far outside a double anyway
  }
  exponent += parts->NegativeExponent ? -written : written;
  return TDecimal{parts->Negative ? -units : units, exponent};
}

// A bound in the user's decimal separator, or else with the point, so that scripts written
// with points run under any locale.
std::optional<TDecimal> ReadBound(std::string_view text, char separator) {
  std::optional<TDecimal> value = ReadDecimal(text, separator);
  if (!value && separator != '.') value = ReadDecimal(text, '.');
  return value;
}

// value in units of 10^scale (scale <= value.Exponent); nullopt on overflow.
std::optional<std::int64_t> Scaled(TDecimal value, int scale) {
  std::int64_t units = value.Units;
  for (int e = scale; e < value.Exponent; ++e) {
    if (__builtin_mul_overflow(units, std::int64_t{10}, &units)) return std::nullopt;
  }
  return units;
}

std::vector<std::string_view> Split(std::string_view text, char delimiter) {
  std::vector<std::string_view> parts;
  std::size_t start = 0;
  for (std::size_t at; (at = text.find(delimiter, start)) != std::string_view::npos;
       start = at + 1) {
    parts.push_back(text.substr(start, at - start));
  }
  parts.push_back(text.substr(start));
  return parts;
}

TSweepProblem Problem(std::string message) { return TSweepProblem{std::move(message)}; }

OrProblem<std::vector<std::string>> SplitList(std::string_view list, char decimal_separator) {
  if (list.empty()) return Problem("the list of values is empty");
  const bool semicolons = list.find(';') != std::string_view::npos;
  if (!semicolons && decimal_separator == ',' && list.find(',') != std::string_view::npos) {
    return Problem(
        "the decimal separator is the comma here, so separate the values with ';' "
        "(for example 0,5;1,0)");
  }
  std::vector<std::string> texts;
  int position = 0;
  for (const std::string_view item : Split(list, semicolons ? ';' : ',')) {
    ++position;
    if (item.empty()) return Problem("value " + std::to_string(position) + " is empty");
    texts.emplace_back(item);
  }
  return texts;
}

}  // namespace

OrProblem<std::vector<std::string>> ExpandRange(std::string_view range, char decimal_separator) {
  const std::vector<std::string_view> parts = Split(range, ':');
  if (parts.size() != 3) return Problem("a range is start:stop:step");
  constexpr const char* kRoles[] = {"start", "stop", "step"};
  TDecimal bounds[3];
  for (int i = 0; i < 3; ++i) {
    const std::optional<TDecimal> bound = ReadBound(parts[i], decimal_separator);
    if (!bound) {
      return Problem(std::string(kRoles[i]) + " '" + std::string(parts[i]) +
                     "' is not a number of at most 18 digits");
    }
    bounds[i] = *bound;
  }
  const int scale = std::min({bounds[0].Exponent, bounds[1].Exponent, bounds[2].Exponent, 0});
  const int decimals = std::max(0, -std::min(bounds[0].Exponent, bounds[2].Exponent));
  const std::optional<std::int64_t> start = Scaled(bounds[0], scale);
  const std::optional<std::int64_t> stop = Scaled(bounds[1], scale);
  const std::optional<std::int64_t> step = Scaled(bounds[2], scale);
  std::int64_t span = 0;
  if (!start || !stop || !step || __builtin_sub_overflow(*stop, *start, &span)) {
    return Problem("the range is too wide for 18 digits");
  }
  if (*step == 0) return Problem("the step is zero");
  if ((span > 0 && *step < 0) || (span < 0 && *step > 0)) {
    return Problem("the step goes away from stop");
  }
  const std::uint64_t intervals = static_cast<std::uint64_t>(span / *step);
  if (intervals >= kMaxSweepCases) {
    return Problem("the range has more than " + std::to_string(kMaxSweepCases) + " values");
  }
  // The values lie between start and stop, so start + i × step cannot overflow; dividing by
  // the spare powers of ten is exact, start and step being multiples of 10^-decimals.
  std::int64_t spare = 1;
  for (int e = scale; e < -decimals; ++e) spare *= 10;
  std::vector<std::string> texts;
  texts.reserve(intervals + 1);
  for (std::uint64_t i = 0; i <= intervals; ++i) {
    const std::int64_t value = *start + static_cast<std::int64_t>(i) * *step;
    texts.push_back(ScaledIntegerText(value / spare, decimals, decimal_separator));
  }
  return texts;
}

OrProblem<TVariedOption> ParseVary(std::string_view vary, char decimal_separator) {
  const auto problem = [vary](std::string why) {
    return TSweepProblem{std::move(why), std::string(vary)};
  };
  const std::size_t equals = vary.find('=');
  if (equals == std::string_view::npos) return problem("expected OPTION=LIST");
  const std::string_view name = vary.substr(0, equals);
  const std::string_view list = vary.substr(equals + 1);
  const std::optional<TSweepColumn> column = FindSweepColumn(name);
  if (!column) {
    return problem(
        std::string(1, '\'').append(name).append("' is neither an input nor a card key"));
  }
  if (column->Field != nullptr && !column->Field->Numeric()) {
    return problem("the sweep names each case's result file itself");
  }
  if (list.find_first_of("\r\n") != std::string_view::npos) {
    return problem("a value may not hold a line break");
  }
  const char separator = column->OnCard() ? '.' : decimal_separator;
  OrProblem<std::vector<std::string>> texts = list.find(':') != std::string_view::npos
                                                  ? ExpandRange(list, separator)
                                                  : SplitList(list, separator);
  if (auto* refused = std::get_if<TSweepProblem>(&texts)) return problem(refused->Message);
  return TVariedOption{*column, std::move(std::get<std::vector<std::string>>(texts))};
}

}  // namespace vellmor
