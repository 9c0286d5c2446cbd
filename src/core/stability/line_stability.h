#pragma once

// Will the steady line run steadily? The eigenvalues λ = growth rate + i angular frequency
// (1/s) of the linearised spinline (line_operator.h) on two grids, N and N + N/2
// Chebyshev intervals per section. Of the fine grid's eigenvalues, those of a size the grids
// resolve (|λ| up to twice the coarse intervals over the residence time) are the line's
// candidates; the one of the largest growth rate leads, converged where the coarse grid has
// one within a hundredth of its size (plus a hundredth of the inverse residence time), or
// where the coarse grid's largest growth rate is that close to its. Where it is not, both
// grids are made twice as fine once. The line is stable when the leading
// growth rate is negative, the margin the rate at which the slowest disturbance dies.
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
  int Intervals = 8;
  int Modes = 5;       // leading eigenvalues kept, each pair once (ω >= 0)
  bool Refine = true;  // repeat on finer grids where the leading mode has not converged
};

struct TStabilityMode {
  std::complex<double> Lambda;  // on the fine grid (1/s)
  std::complex<double> Coarse;  // the coarse grid's nearest (1/s)
  // The two agree; the leading mode also where the two grids' leading growth rates do.
  bool Converged = false;
};

struct TLineStability {
  TConvergedSolution Steady;   // without its profile
  std::vector<double> Ends;    // the sections' ends (cm)
  std::vector<int> Intervals;  // of each section on the coarse grid (FineIntervals on the fine)
  std::vector<TStabilityMode> Modes;  // leading first
  double CoarseGrowthRate = 0.0;      // the coarse grid's leading growth rate (1/s)
  double ExitVelocity = 0.0;          // V0 (cm/s)
  double TakeUpVelocity = 0.0;        // V_L (cm/s)
  double Length = 0.0;                // L (cm)

  const TStabilityMode& Leading() const { return Modes.front(); }
  double GrowthRate() const { return Leading().Lambda.real(); }        // 1/s
  double AngularFrequency() const { return Leading().Lambda.imag(); }  // 1/s
  bool Stable() const { return GrowthRate() < 0.0; }
  double DrawRatio() const { return TakeUpVelocity / ExitVelocity; }
};

// The most intervals per section on average that a refinement goes to.
inline constexpr int kMostIntervals = 64;

// Where the two grids do not agree on the leading mode, the analysis is repeated once on
// grids of twice the intervals (up to kMostIntervals). The line's grids are left in *sampled
// where it is given. Throws CalculationError where the steady line can not be solved or its
// eigenvalues found.
TLineStability AnalyseStability(const TSpinCondition& condition, const TStabilityOptions& options,
                                TSteadyLineGrid* sampled = nullptr);
// On the grids of a line already sampled, without the repetition.
TLineStability AnalyseLine(const TSteadyLineGrid& grid, const TSpinCondition& condition, int modes);

// The modes of one pair of spectra (exposed for the tests): the fine grid's eigenvalues up to
// the largest |λ| the grids resolve (1/s), each with the coarse grid's nearest and whether
// the two agree, leading first, at most modes of them. scale: the size (1/s) below which two
// eigenvalues are told apart absolutely.
std::vector<TStabilityMode> MatchedModes(const std::vector<std::complex<double>>& coarse,
                                         const std::vector<std::complex<double>>& fine,
                                         double scale, double largest, int modes);

}  // namespace vellmor
