#include "core/exports/profile_csv.h"

#include <cstddef>
#include <optional>
#include <string>

#include "core/base/number_text.h"

#include "core/exports/profile_columns.h"

namespace vellmor {
namespace {

// Shortest round-trip text of a double with a point; a value that is not finite leaves the
// cell empty.
void AppendNumber(std::string& out, double value) {
  if (const std::optional<std::string> text = ShortestText(value)) out += *text;
}

// The header record of columns, then one record per row of the values each column takes.
template <typename Row, typename Columns, typename Value>
std::string Csv(std::span<const Row> rows, const Columns& columns, Value value) {
  std::string csv;
  csv.reserve(64 + rows.size() * columns.size() * 20);
  for (std::size_t i = 0; i < columns.size(); ++i) {
    if (i > 0) csv += ',';
    csv += columns[i].ExportName;
  }
  csv += "\r\n";
  for (const Row& row : rows) {
    for (std::size_t i = 0; i < columns.size(); ++i) {
      if (i > 0) csv += ',';
      AppendNumber(csv, value(columns[i], row));
    }
    csv += "\r\n";
  }
  return csv;
}

}  // namespace

std::string ProfileCsv(std::span<const TResultRow> rows) {
  return Csv(rows, kResultColumns,
             [](const TResultColumn& column, const TResultRow& row) { return row.*column.Value; });
}

std::string ConvergedProfileCsv(std::span<const TConvergedSample> samples) {
  return Csv(samples, kConvergedColumns,
             [](const TConvergedColumn& column, const TConvergedSample& sample) {
               return column.Value(sample);
             });
}

}  // namespace vellmor
