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

bool WithStructure(SummaryColumns kind) {
  return kind == SummaryColumns::kWithStructure ||
         kind == SummaryColumns::kWithStructureAndIntervals;
}

bool WithIntervals(SummaryColumns kind) {
  return kind == SummaryColumns::kWithIntervals ||
         kind == SummaryColumns::kWithStructureAndIntervals;
}

// The intervals' cells of one case: empty where a number has none.
void AddIntervalCells(CsvRecord& record, const std::vector<std::optional<TInterval>>& intervals,
                      std::size_t count, std::size_t skipped) {
  for (std::size_t i = 0; i < count; ++i) {
    if (i == skipped) continue;
    const std::optional<TInterval> interval =
        i < intervals.size() ? intervals[i] : std::optional<TInterval>();
    record.Number(interval ? std::optional(interval->Lo) : std::nullopt)
        .Number(interval ? std::optional(interval->Hi) : std::nullopt);
  }
}

// The process numbers' index of the passes, which have no interval.
std::size_t PassesIndex() {
  for (std::size_t i = 0; i < kProcessNumberTable.size(); ++i) {
    if (kProcessNumberTable[i].Key == "passes") return i;
  }
  return kProcessNumberTable.size();
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
  if (WithStructure(kind)) {
    for (const TStructureNumberInfo& number : kStructureNumbers) header.Plain(number.Key);
  }
  if (WithIntervals(kind)) {
    const auto bounds = [&](std::string_view key) {
      header.Plain(std::string(key) + "_lo").Plain(std::string(key) + "_hi");
    };
    for (const TProcessNumberInfo& number : kProcessNumberTable) {
      if (number.Key != "passes") bounds(number.Key);
    }
    if (WithStructure(kind)) {
      for (const TStructureNumberInfo& number : kStructureNumbers) bounds(number.Key);
    }
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
  if (WithStructure(kind)) {
    for (const TStructureNumberInfo& number : kStructureNumbers) {
      record.Number(result.Structure ? number.Value(*result.Structure) : std::nullopt);
    }
  }
  if (WithIntervals(kind)) {
    static const std::vector<std::optional<TInterval>> kNone;
    const auto& intervals = result.Intervals;
    AddIntervalCells(record, intervals ? intervals->Process : kNone, kProcessNumberTable.size(),
                     PassesIndex());
    if (WithStructure(kind)) {
      AddIntervalCells(record, intervals ? intervals->Structure : kNone, kStructureNumbers.size(),
                       kStructureNumbers.size());
    }
  }
  return std::move(record).End();
}

}  // namespace vellmor
