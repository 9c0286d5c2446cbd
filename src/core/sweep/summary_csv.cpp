#include "core/sweep/summary_csv.h"

#include <optional>
#include <string>

#include "core/base/number_text.h"

namespace vellmor {
namespace {

// The process numbers that have no column of their own yet: the fixed columns already hold
// the passes and the spinneret tension.
bool HasFixedColumn(std::string_view name) {
  return name == "passes" || name == "spinneret_tension_dyn";
}

// Line breaks become blanks, so that every case is one line.
std::string OneLine(std::string text) {
  for (char& c : text) {
    if (c == '\r' || c == '\n') c = ' ';
  }
  return text;
}

// The shortest text that reads back as the same double, always with a point; empty for no
// number or one that is not finite (an error relative to a converged value of 0).
std::string NumberCell(std::optional<double> value) {
  if (!value) return {};
  return ShortestText(*value).value_or(std::string());
}

// The converged solution's cells of one case, each after its comma.
std::string AccuracyCells(const TCaseResult& result) {
  std::string cells;
  const std::optional<TAccuracyReport>& report = result.Accuracy;
  const auto add = [&cells](std::optional<double> value) {
    cells += ',';
    cells += NumberCell(value);
  };
  add(report ? std::optional(report->SpinneretTension.Converged) : std::nullopt);
  add(report ? std::optional(report->SpinneretTension.ErrorPercent) : std::nullopt);
  add(report ? report->ConvergedFreezePoint : std::nullopt);
  add(report ? std::optional(report->SuggestedIncrement) : std::nullopt);
  cells += ',';
  cells += CsvCell(OneLine(result.AccuracyFailure));
  return cells;
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

std::string SummaryHeader(const std::vector<const TInputField*>& columns, SummaryColumns kind) {
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
  line += ",warnings";
  if (kind == SummaryColumns::kWithAccuracy) {
    line +=
        ",converged_spinneret_tension_dyn,classical_error_percent,converged_freeze_point_cm,"
        "suggested_increment_cm,converged_message";
  }
  line += '\n';
  return line;
}

std::string SummaryLine(const TCaseResult& result, const std::vector<std::string>& column_texts,
                        SummaryColumns kind) {
  std::string line = std::to_string(result.Case);
  for (const std::string& text : column_texts) {
    line += ',';
    line += CsvCell(text);
  }
  line += ',';
  line += StatusName(result.Status);
  line += ',';
  line += CsvCell(OneLine(result.Message));
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
  std::string warnings;
  for (const std::string& warning : result.Warnings) {
    if (!warnings.empty()) warnings += "; ";
    warnings += warning;
  }
  line += ',';
  line += CsvCell(OneLine(warnings));
  if (kind == SummaryColumns::kWithAccuracy) line += AccuracyCells(result);
  line += '\n';
  return line;
}

}  // namespace vellmor
