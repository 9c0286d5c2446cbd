#include "vellmor/run/result_file_run.h"

#include <vector>

#include "vellmor/analysis/result_file_numbers.h"
#include "vellmor/report/result_rows.h"
#include "vellmor/report/write_results.h"
#include "vellmor/run/run_sequence.h"

namespace vellmor {

TResultFileNumbers ResultFileNumbers(const TResultFileContents& contents) {
  TResultFileNumbers numbers;
  numbers.Numbers = ProcessNumbersOf(contents);
  TRunOptions options;
  options.DecimalSeparator = contents.DecimalSeparator;
  const TSpinlineSolution run = SolveSpinline(contents.Condition, options);
  if (run.Outcome.Status != RunStatus::kSucceeded || !run.Outcome.Numbers) {
    numbers.Why = "its conditions run again do not succeed: " + run.Message;
    return numbers;
  }
  const std::vector<TResultRow> rows = ResultRowsOf(run.State->Condition, run.State->Profile);
  if (rows.size() != contents.Rows.size()) {
    numbers.Why = "its conditions run again give " + std::to_string(rows.size()) +
                  " rows, the file " + std::to_string(contents.Rows.size());
    return numbers;
  }
  const char separator = contents.DecimalSeparator;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    if (FormatResultRow(rows[i], separator) != FormatResultRow(contents.Rows[i], separator)) {
      numbers.Why =
          "its conditions run again give another table (row " + std::to_string(i + 1) + ")";
      return numbers;
    }
  }
  numbers.Numbers = *run.Outcome.Numbers;
  numbers.Reproduced = true;
  return numbers;
}

}  // namespace vellmor
