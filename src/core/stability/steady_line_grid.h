#pragma once

// The steady converged line at the nodes of the linearised one: solved once to find where it
// freezes, cut into sections at the zone ends and the freeze point, and sampled at the
// Chebyshev nodes of each, on two grids: N intervals and the refinement's N + N/2 (rounded
// up), both sampled by one second solve that starts from the first's root.

#include <vector>

#include "vellmor/converged/converged_solution.h"
#include "vellmor/inputs/spin_condition.h"
#include "vellmor/model_card/model_card.h"
#include "vellmor/stability/line_operator.h"

namespace vellmor {

struct TSteadyLineGrid {
  TConvergedSolution Solution;  // its profile at the fine nodes
  std::vector<double> Ends;     // the sections' ends (cm), 0 first, the take-up end last
  std::vector<int> Intervals;   // of each section on the coarse grid (FineIntervals on the fine)
  std::vector<TLineSection> Coarse, Fine;
};

// The refinement's intervals of a section of n.
int FineIntervals(int n);

// The steady line of a validated condition with n intervals per section on average on the
// coarse grid, shared out by the time the filament spends in each.
// Throws CalculationError where the steady line can not be solved.
TSteadyLineGrid SampleSteadyLine(const TSpinCondition& condition, const TModelConstants& model,
                                 bool structure, int n);

}  // namespace vellmor
