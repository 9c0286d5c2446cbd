#include "vellmor/analysis/result_file_numbers.h"

#include <cassert>
#include <vector>

namespace vellmor {

TSampleColumns SampleColumnsOf(std::span<const TResultRow> rows) {
  TSampleColumns columns;
  for (const TResultRow& row : rows) {
    columns.X.push_back(row.X);
    columns.V.push_back(row.VOut * 100.0 / 60.0);  // m/min to cm/s
    columns.F.push_back(row.F);
    columns.T.push_back(row.T);
    columns.D.push_back(row.D);
  }
  return columns;
}

TProcessNumbers ProcessNumbersOf(const TResultFileContents& contents) {
  const std::vector<TResultRow>& rows = contents.Rows;
  assert(!rows.empty());
  const TSampleColumns columns = SampleColumnsOf(rows);
  TProcessNumbers numbers = ProcessNumbersOf(columns.Samples(), contents.Condition.Output,
                                             contents.Condition.TakeUpSpeed);
  numbers.SpinneretTensionDyn = rows.front().F;
  return numbers;
}

}  // namespace vellmor
