#include "core/analysis/result_file_numbers.h"

#include <cassert>
#include <vector>

namespace vellmor {

TProcessNumbers ProcessNumbersOf(const TResultFileContents& contents) {
  const std::vector<TResultRow>& rows = contents.Rows;
  assert(!rows.empty());
  std::vector<double> x, v, f, t, d;
  for (const TResultRow& row : rows) {
    x.push_back(row.X);
    v.push_back(row.VOut * 100.0 / 60.0);  // m/min to cm/s
    f.push_back(row.F);
    t.push_back(row.T);
    d.push_back(row.D);
  }
  TProcessNumbers numbers = ProcessNumbersOf(
      TSpinlineSamples{x, v, f, t, d}, contents.Condition.Output, contents.Condition.TakeUpSpeed);
  numbers.SpinneretTensionDyn = rows.front().F;
  return numbers;
}

}  // namespace vellmor
