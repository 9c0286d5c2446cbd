#include "vellmor/exports/profile_csv.h"

#include <string>
#include <vector>

#include "vellmor/base/csv.h"

#include "vellmor/exports/profile_columns.h"

namespace vellmor {
namespace {

// The header record of columns, then one record per row of the values each column takes.
template <typename Row, typename Columns, typename Value>
std::string Csv(std::span<const Row> rows, const Columns& columns, Value value) {
  CsvRecord header;
  for (const auto& column : columns) header.Plain(column.ExportName);
  std::string csv = std::move(header).End();
  csv.reserve(64 + rows.size() * columns.size() * 20);
  for (const Row& row : rows) {
    CsvRecord record;
    for (const auto& column : columns) record.Number(value(column, row));
    csv += std::move(record).End();
  }
  return csv;
}

}  // namespace

std::string ProfileCsv(std::span<const TResultRow> rows) {
  return Csv(rows, kResultColumns, [](const TResultColumn& column, const TResultRow& row) {
    return ExportValue(column, row);
  });
}

std::string ConvergedProfileCsv(std::span<const TConvergedSample> samples, bool with_structure,
                                const TPropagatedUncertainty* uncertainty) {
  std::vector<TConvergedColumn> columns(kConvergedColumns.begin(), kConvergedColumns.end());
  if (with_structure)
    columns.insert(columns.end(), kStructureColumns.begin(), kStructureColumns.end());
  if (uncertainty == nullptr) {
    return Csv(samples, columns,
               [](const TConvergedColumn& column, const TConvergedSample& sample) {
                 return column.Value(sample);
               });
  }
  // The bands of every column but the position, beside the columns.
  const auto& bands = uncertainty->Intervals.Profile;
  CsvRecord header;
  for (const auto& column : columns) header.Plain(column.ExportName);
  for (std::size_t c = 1; c < columns.size(); ++c) {
    header.Plain(std::string(columns[c].ExportName) + "_lo");
    header.Plain(std::string(columns[c].ExportName) + "_hi");
  }
  std::string csv = std::move(header).End();
  for (std::size_t i = 0; i < samples.size(); ++i) {
    CsvRecord record;
    for (const auto& column : columns) record.Number(column.Value(samples[i]));
    for (std::size_t c = 1; c < columns.size(); ++c) {
      const std::optional<TInterval> band =
          c < bands.size() && i < bands[c].size() ? bands[c][i] : std::nullopt;
      record.Number(band ? std::optional<double>(band->Lo) : std::nullopt);
      record.Number(band ? std::optional<double>(band->Hi) : std::nullopt);
    }
    csv += std::move(record).End();
  }
  return csv;
}

}  // namespace vellmor
