#include "vellmor/converged/accuracy_check.h"

#include <array>
#include <cassert>
#include <vector>

#include "vellmor/analysis/result_file_numbers.h"
#include "vellmor/base/run_error.h"
#include "vellmor/inputs/input_checks.h"

namespace vellmor {
namespace {

// Beginnings of the solver's messages that the failure line says already.
constexpr std::array<std::string_view, 3> kRedundantBeginnings{
    "Converged solution: ", "Converged solution stopped: ", "Calculation stopped: "};

// Solves and compares, or keeps the failure; compare is called with the solution.
template <typename Compare>
TAccuracyCheck Check(const TSpinCondition& condition, std::vector<double> sample_x,
                     Compare compare) {
  TAccuracyCheck check;
  TConvergedOptions options;
  options.SampleX = std::move(sample_x);
  try {
    check.Solution = SolveConverged(condition, options);
  } catch (const CalculationError& error) {
    check.Failure = ConvergedFailureLine(error.what());
    return check;
  }
  check.Report = compare(*check.Solution);
  return check;
}

}  // namespace

TAccuracyCheck CheckAccuracy(const TRunState& classical, const TAccuracyOptions& options) {
  assert(classical.Search.Converged);
  return Check(classical.Condition, ClassicalGrid(classical.Profile),
               [&classical, &options](const TConvergedSolution& solution) {
                 return CompareWithClassical(classical, solution, options);
               });
}

TAccuracyCheck CheckAccuracy(const TResultFileContents& contents) {
  assert(!contents.Rows.empty());
  // A file does not name itself; any name stands in for it, which the solution never reads.
  TSpinCondition named = contents.Condition;
  named.SaveFileName = "result file";
  if (const std::optional<std::string_view> refusal = FailedCheck(named)) {
    TAccuracyCheck check;
    check.Failure =
        ConvergedFailureLine("the conditions of the file are refused: " + std::string(*refusal));
    return check;
  }
  const TSampleColumns columns = SampleColumnsOf(contents.Rows);
  return Check(contents.Condition, columns.X, [&](const TConvergedSolution& solution) {
    return CompareWithClassical(contents.Condition, columns.Samples(), solution,
                                {.CheckSuggestedIncrement = false});
  });
}

std::string ConvergedFailureLine(std::string_view message) {
  for (const std::string_view beginning : kRedundantBeginnings) {
    if (message.starts_with(beginning)) {
      message.remove_prefix(beginning.size());
      break;
    }
  }
  return "Converged solution failed: " + std::string(message);
}

}  // namespace vellmor
