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

std::string ConvergedProfileCsv(std::span<const TConvergedSample> samples, bool with_structure) {
  std::vector<TConvergedColumn> columns(kConvergedColumns.begin(), kConvergedColumns.end());
  if (with_structure)
    columns.insert(columns.end(), kStructureColumns.begin(), kStructureColumns.end());
  return Csv(samples, columns, [](const TConvergedColumn& column, const TConvergedSample& sample) {
    return column.Value(sample);
  });
}

}  // namespace vellmor
