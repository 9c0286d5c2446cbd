#pragma once

// The converged solution beside a classical result, as the front ends show it: solved for the
// classical result's condition, sampled at its positions and compared with it; or, when the
// converged solution cannot be found, why. The classical result stands either way, so a
// failure here is a value, not an exception.
//
//   const TAccuracyCheck check = CheckAccuracy(state);  // after CalculateSpinline(state)
//   if (check.Report) std::cout << FormatAccuracySummary(*check.Report) << '\n';
//   else std::cerr << check.Failure << '\n';

#include <optional>
#include <string>
#include <string_view>

#include "vellmor/converged/accuracy_report.h"
#include "vellmor/converged/converged_solution.h"
#include "vellmor/report/read_result_file.h"
#include "vellmor/solver/run_state.h"

namespace vellmor {

struct TAccuracyCheck {
  // Sampled at the classical result's positions; empty when it failed.
  std::optional<TConvergedSolution> Solution;
  std::optional<TAccuracyReport> Report;  // present with Solution
  // "Converged solution failed: …" when there is no solution, else empty.
  std::string Failure;
};

// The converged solution of a run whose tension search converged, sampled at its points
// 1 … N, and the comparison with it, the suggested increment checked by marches where a profile
// holds it unless options say otherwise (CompareWithClassical).
TAccuracyCheck CheckAccuracy(const TRunState& classical, const TAccuracyOptions& options = {});

// The same for a result file read back (at least one row): the condition of its header, the
// rows' positions and their printed values. The suggested increment is the first-order
// estimate alone, so that it costs no classical march. A header the window would refuse is a
// failure.
TAccuracyCheck CheckAccuracy(const TResultFileContents& contents);

// The line a front end shows for a failure of the converged solution, from the message of the
// CalculationError: "Converged solution failed: step size underflow at x = 5.300000 cm, pass 1
// of the converged solution".
std::string ConvergedFailureLine(std::string_view message);

}  // namespace vellmor
