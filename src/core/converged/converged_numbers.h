#pragma once

#include "vellmor/analysis/process_numbers.h"
#include "vellmor/converged/converged_solution.h"
#include "vellmor/inputs/spin_condition.h"

namespace vellmor {

// The process numbers of a converged solution of condition, each taken where the solution
// locates it rather than from a sampled profile: the freeze point and the state there from the
// solidification crossing, the residence time from the time the filament carries along, the
// largest strain rate from the steps' ends (refined at a peak), the take-up tension, final
// diameter and temperature at the take-up end. k gives the cross-section for the stress.
TProcessNumbers ProcessNumbersOf(const TConvergedSolution& solution,
                                 const TSpinCondition& condition,
                                 const TSpinlineConstants<double>& k);

}  // namespace vellmor
