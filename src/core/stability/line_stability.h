#pragma once

// Will the steady line run steadily? The eigenvalues λ = growth rate + i angular frequency
// (1/s) of the linearised spinline (line_operator.h) on two grids, N and N + N/2
// Chebyshev intervals per section: an eigenvalue of the fine grid that the coarse one has too,
// within a hundredth of its size (plus a hundredth of the inverse residence time), is the line's;
// the others are the grids' own (the advected perturbations have no modes of their own, and
// their discrete ones move with the grid). The leading eigenvalue decides: the line is stable
// when its growth rate is negative, the margin the rate at which the slowest disturbance dies.
//
//   TStabilityOptions options;
//   options.Model = card.Constants();
//   const TLineStability stability = AnalyseStability(condition, options);
//   stability.Stable(), stability.Leading().Lambda

#include <complex>
#include <vector>

#include "vellmor/converged/converged_solution.h"
#include "vellmor/inputs/spin_condition.h"
#include "vellmor/model_card/model_card.h"
#include "vellmor/stability/steady_line_grid.h"

namespace vellmor {

struct TStabilityOptions {
  TModelConstants Model;
  bool Structure = false;
  // Per section on average on the coarse grid, shared by the time spent in each; the fine grid
  // has half as many more.
  int Intervals = 12;
  int Modes = 5;  // leading eigenvalues kept, each pair once (ω >= 0)
};

struct TStabilityMode {
  std::complex<double> Lambda;  // on the fine grid (1/s)
  std::complex<double> Coarse;  // the coarse grid's nearest (1/s)
  bool Converged = false;       // the two agree
};

struct TLineStability {
  TConvergedSolution Steady;   // without its profile
  std::vector<double> Ends;    // the sections' ends (cm)
  std::vector<int> Intervals;  // of each section on the coarse grid (FineIntervals on the fine)
  std::vector<TStabilityMode> Modes;  // leading first; the converged ones, or the largest one
  double ExitVelocity = 0.0;          // V0 (cm/s)
  double TakeUpVelocity = 0.0;        // V_L (cm/s)
  double Length = 0.0;                // L (cm)

  const TStabilityMode& Leading() const { return Modes.front(); }
  double GrowthRate() const { return Leading().Lambda.real(); }        // 1/s
  double AngularFrequency() const { return Leading().Lambda.imag(); }  // 1/s
  bool Stable() const { return GrowthRate() < 0.0; }
  double DrawRatio() const { return TakeUpVelocity / ExitVelocity; }
};

// Throws CalculationError where the steady line can not be solved or its eigenvalues found.
TLineStability AnalyseStability(const TSpinCondition& condition, const TStabilityOptions& options);
// The same of a line already sampled.
TLineStability AnalyseLine(const TSteadyLineGrid& grid, const TSpinCondition& condition, int modes);

// The modes of one pair of spectra (exposed for the tests): the fine grid's eigenvalues
// matched with the coarse grid's, leading first, at most modes of them; where none matches,
// the fine grid's leading eigenvalue alone, not converged. scale: the size (1/s) below which
// two eigenvalues are told apart absolutely.
std::vector<TStabilityMode> MatchedModes(const std::vector<std::complex<double>>& coarse,
                                         const std::vector<std::complex<double>>& fine,
                                         double scale, int modes);

}  // namespace vellmor
