#include "vellmor/stability/line_stability.h"

#include <algorithm>
#include <cmath>

#include "vellmor/base/run_error.h"
#include "vellmor/stability/pencil_spectrum.h"

namespace vellmor {
namespace {

constexpr double kAgreement = 1e-2;

std::vector<std::complex<double>> Spectrum(const std::vector<TLineSection>& sections) {
  const TLineOperator op = AssembleLineOperator(sections);
  return PencilEigenvalues(op.K, op.M);
}

}  // namespace

std::vector<TStabilityMode> MatchedModes(const std::vector<std::complex<double>>& coarse,
                                         const std::vector<std::complex<double>>& fine,
                                         double scale, int modes) {
  std::vector<TStabilityMode> all;
  for (const std::complex<double> lambda : fine) {
    if (lambda.imag() < 0.0) continue;  // its conjugate stands for it
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
  std::vector<TStabilityMode> kept;
  for (const TStabilityMode& mode : all) {
    if (mode.Converged && static_cast<int>(kept.size()) < modes) kept.push_back(mode);
  }
  if (kept.empty() && !all.empty()) kept.push_back(all.front());
  return kept;
}

TLineStability AnalyseStability(const TSpinCondition& condition, const TStabilityOptions& options) {
  return AnalyseLine(
      SampleSteadyLine(condition, options.Model, options.Structure, options.Intervals), condition,
      options.Modes);
}

TLineStability AnalyseLine(const TSteadyLineGrid& grid, const TSpinCondition& condition,
                           int modes) {
  TLineStability stability;
  stability.Ends = grid.Ends;
  stability.Intervals = grid.Intervals;
  const double scale = 1.0 / grid.Solution.ResidenceTime;
  stability.Modes = MatchedModes(Spectrum(grid.Coarse), Spectrum(grid.Fine), scale, modes);
  if (stability.Modes.empty()) {
    throw CalculationError(CalculationFault::kNoConvergence,
                           "The linearised spinline has no eigenvalue");
  }
  stability.ExitVelocity = grid.Solution.ExitVelocity;
  stability.TakeUpVelocity = condition.TakeUpSpeed * 100.0 / 60.0;  // m/min to cm/s
  stability.Length = grid.Solution.Length;
  stability.Steady = grid.Solution;
  stability.Steady.Profile.clear();
  return stability;
}

}  // namespace vellmor
