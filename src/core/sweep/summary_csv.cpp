#include "core/sweep/summary_csv.h"

#include <array>
#include <charconv>
#include <optional>

namespace vellmor {
namespace {

// The process numbers that have no column of their own yet: the fixed columns already hold
// the passes and the spinneret tension.
bool HasFixedColumn(std::string_view name) {
  return name == "passes" || name == "spinneret_tension_dyn";
}

// The shortest text that reads back as the same double, always with a point.
std::string NumberCell(std::optional<double> value) {
  if (!value) return {};
  std::array<char, 32> buffer{};
  const auto [end, error] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), *value);
  if (error != std::errc()) return {};
  return std::string(buffer.data(), end);
}

}  // namespace

std::string CsvCell(std::string_view text) {
  if (text.find_first_of(",;\"\r\n") == std::string_view::npos) return std::string(text);
  std::string cell = "\"";
  for (const char c : text) {
    if (c == '"') cell += '"';
    cell += c;
  }
  cell += '"';
  return cell;
}

std::string SummaryHeader(const std::vector<const TInputField*>& columns) {
  std::string line = "case";
  for (const TInputField* field : columns) {
    line += ',';
    line += field->Name;
  }
  line += ",status,message,passes,spinneret_tension_dyn,final_velocity_m_min";
  for (const TNamedNumber& number : NamedProcessNumbers(TProcessNumbers{})) {
    if (HasFixedColumn(number.Name)) continue;
    line += ',';
    line += number.Name;
  }
  line += '\n';
  return line;
}

std::string SummaryLine(const TCaseResult& result, const std::vector<std::string>& column_texts) {
  std::string line = std::to_string(result.Case);
  for (const std::string& text : column_texts) {
    line += ',';
    line += CsvCell(text);
  }
  line += ',';
  line += StatusName(result.Status);
  std::string message = result.Message;
  for (char& c : message) {
    if (c == '\r' || c == '\n') c = ' ';
  }
  line += ',';
  line += CsvCell(message);
  line += ',';
  line += std::to_string(result.Passes);
  line += ',';
  line += NumberCell(result.SpinneretTensionDyn);
  line += ',';
  line += NumberCell(result.FinalVelocityMMin);
  // One empty cell per process number when there are none, so every line has every column.
  const std::vector<TNamedNumber> numbers =
      NamedProcessNumbers(result.Numbers.value_or(TProcessNumbers{}));
  for (const TNamedNumber& number : numbers) {
    if (HasFixedColumn(number.Name)) continue;
    line += ',';
    if (result.Numbers) line += NumberCell(number.Value);
  }
  line += '\n';
  return line;
}

}  // namespace vellmor
