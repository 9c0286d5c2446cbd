#include "vellmor/stability/line_stability.h"

#include <algorithm>
#include <cmath>

#include "vellmor/base/run_error.h"
#include "vellmor/stability/pencil_spectrum.h"

namespace vellmor {
namespace {

constexpr double kAgreement = 1e-2;
// The coarse grid resolves a disturbance of |λ| up to about its intervals over the residence
// time: beyond twice that its eigenvalues are the grid's own, whether or not the fine grid
// happens to have one close by.
constexpr double kResolvedPerInterval = 2.0;

std::vector<std::complex<double>> Spectrum(const std::vector<TLineSection>& sections) {
  const TLineOperator op = AssembleLineOperator(sections);
  return PencilEigenvalues(op.K, op.M);
}

}  // namespace

std::vector<TStabilityMode> MatchedModes(const std::vector<std::complex<double>>& coarse,
                                         const std::vector<std::complex<double>>& fine,
                                         double scale, double largest, int modes) {
  std::vector<TStabilityMode> all;
  for (const std::complex<double> lambda : fine) {
    if (lambda.imag() < 0.0) continue;  // its conjugate stands for it
    if (std::abs(lambda) > largest) continue;
    TStabilityMode mode{lambda, {}, false};
    double nearest = INFINITY;
    for (const std::complex<double> other : coarse) {
      if (std::abs(other - lambda) < nearest) {
        nearest = std::abs(other - lambda);
        mode.Coarse = other;
      }
    }
    mode.Converged = nearest <= kAgreement * (std::abs(lambda) + scale);
    all.push_back(mode);
  }
  std::sort(all.begin(), all.end(), [](const TStabilityMode& a, const TStabilityMode& b) {
    return a.Lambda.real() > b.Lambda.real();
  });
  if (static_cast<int>(all.size()) > modes) all.resize(static_cast<std::size_t>(modes));
  return all;
}

TLineStability AnalyseStability(const TSpinCondition& condition, const TStabilityOptions& options,
                                TSteadyLineGrid* sampled) {
  int intervals = options.Intervals;
  TSteadyLineGrid grid = SampleSteadyLine(condition, options.Model, options.Structure, intervals);
  TLineStability stability = AnalyseLine(grid, condition, options.Modes);
  // Once more on grids twice as fine where the two did not agree on the leading mode.
  if (options.Refine && !stability.Leading().Converged && 2 * intervals <= kMostIntervals) {
    intervals *= 2;
    grid = SampleSteadyLine(condition, options.Model, options.Structure, intervals);
    stability = AnalyseLine(grid, condition, options.Modes);
  }
  if (sampled != nullptr) *sampled = std::move(grid);
  return stability;
}

TLineStability AnalyseLine(const TSteadyLineGrid& grid, const TSpinCondition& condition,
                           int modes) {
  TLineStability stability;
  stability.Ends = grid.Ends;
  stability.Intervals = grid.Intervals;
  const double scale = 1.0 / grid.Solution.ResidenceTime;
  int intervals = 0;
  for (const int n : grid.Intervals) intervals += n;
  const double largest = kResolvedPerInterval * intervals * scale;
  const std::vector<std::complex<double>> coarse = Spectrum(grid.Coarse);
  stability.Modes = MatchedModes(coarse, Spectrum(grid.Fine), scale, largest, modes);
  if (stability.Modes.empty()) {
    throw CalculationError(CalculationFault::kNoConvergence,
                           "The linearised spinline has no eigenvalue");
  }
  // The leading growth rate converges too where the leading mode is one of a family whose
  // growth rates hardly differ and the finer grid resolves a member more.
  stability.CoarseGrowthRate = -INFINITY;
  for (const std::complex<double> lambda : coarse) {
    if (std::abs(lambda) <= largest) {
      stability.CoarseGrowthRate = std::max(stability.CoarseGrowthRate, lambda.real());
    }
  }
  TStabilityMode& leading = stability.Modes.front();
  leading.Converged =
      leading.Converged || std::fabs(leading.Lambda.real() - stability.CoarseGrowthRate) <=
                               kAgreement * (std::abs(leading.Lambda) + scale);
  stability.ExitVelocity = grid.Solution.ExitVelocity;
  stability.TakeUpVelocity = condition.TakeUpSpeed * 100.0 / 60.0;  // m/min to cm/s
  stability.Length = grid.Solution.Length;
  stability.Steady = grid.Solution;
  stability.Steady.Profile.clear();
  return stability;
}

}  // namespace vellmor
