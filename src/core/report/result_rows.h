#pragma once

#include <vector>

#include "vellmor/inputs/spin_condition.h"
#include "vellmor/report/write_results.h"
#include "vellmor/solver/spinline_profile.h"

namespace vellmor {

// The rows of the table of results for points 1 … ZoneEndPoint[3] of a converged profile, with
// the velocity in m/min and the tenacities computed as the table computes them. Stores VOut
// as MakeResultRow does. Throws CalculationError on a floating-point fault (a zero velocity).
std::vector<TResultRow> ResultRowsOf(const TSpinCondition& condition, TSpinlineProfile& profile);

}  // namespace vellmor
