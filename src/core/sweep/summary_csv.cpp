#include "vellmor/sweep/summary_csv.h"

#include <optional>
#include <string>

#include "vellmor/base/csv.h"

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

// The converged solution's cells of one case.
void AddAccuracyCells(CsvRecord& record, const TCaseResult& result) {
  const std::optional<TAccuracyReport>& report = result.Accuracy;
  record.Number(report ? std::optional(report->SpinneretTension.Converged) : std::nullopt)
      .Number(report ? std::optional(report->SpinneretTension.ErrorPercent) : std::nullopt)
      .Number(report ? report->ConvergedFreezePoint : std::nullopt)
      .Number(report ? std::optional(report->SuggestedIncrement) : std::nullopt)
      .Text(OneLine(result.AccuracyFailure));
}

}  // namespace

std::string SummaryHeader(const std::vector<TSweepColumn>& columns, SummaryColumns kind) {
  CsvRecord header;
  header.Plain("case");
  for (const TSweepColumn& column : columns) header.Plain(column.Name());
  for (const char* name :
       {"status", "message", "passes", "spinneret_tension_dyn", "final_velocity_m_min"}) {
    header.Plain(name);
  }
  for (const TProcessNumberInfo& number : kProcessNumberTable) {
    if (!HasFixedColumn(number.Key)) header.Plain(number.Key);
  }
  header.Plain("warnings");
  if (kind == SummaryColumns::kWithAccuracy) {
    for (const char* name :
         {"converged_spinneret_tension_dyn", "classical_error_percent", "converged_freeze_point_cm",
          "suggested_increment_cm", "converged_message"}) {
      header.Plain(name);
    }
  }
  if (kind == SummaryColumns::kWithStructure) {
    for (const TStructureNumberInfo& number : kStructureNumbers) header.Plain(number.Key);
  }
  return std::move(header).End();
}

std::string SummaryLine(const TCaseResult& result, const std::vector<std::string>& column_texts,
                        SummaryColumns kind) {
  CsvRecord record;
  record.Plain(std::to_string(result.Case));
  for (const std::string& text : column_texts) record.Text(text);
  record.Plain(StatusName(result.Status))
      .Text(OneLine(result.Message))
      .Plain(std::to_string(result.Passes))
      .Number(result.SpinneretTensionDyn)
      .Number(result.FinalVelocityMMin);
  // One empty cell per process number when there are none, so every line has every column.
  for (const TProcessNumberInfo& number : kProcessNumberTable) {
    if (HasFixedColumn(number.Key)) continue;
    record.Number(result.Numbers ? number.Value(*result.Numbers) : std::nullopt);
  }
  std::string warnings;
  for (const std::string& warning : result.Warnings) {
    if (!warnings.empty()) warnings += "; ";
    warnings += warning;
  }
  record.Text(OneLine(warnings));
  if (kind == SummaryColumns::kWithAccuracy) AddAccuracyCells(record, result);
  if (kind == SummaryColumns::kWithStructure) {
    for (const TStructureNumberInfo& number : kStructureNumbers) {
      record.Number(result.Structure ? number.Value(*result.Structure) : std::nullopt);
    }
  }
  return std::move(record).End();
}

}  // namespace vellmor
