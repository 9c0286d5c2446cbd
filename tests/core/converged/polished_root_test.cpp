// The converged solution as a function of the condition and the constants, as a fit's
// differences see it: the same wherever the shooting started, and smooth in a constant down to
// steps far below a fit's. The shooting alone stops anywhere within the velocity tolerance of
// 1e-10, a few 1e-12 in the spinneret tension; the passes' own rounding is some 1e-15.

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <optional>
#include <vector>

#include "support/test_support.h"
#include "vellmor/converged/converged_solution.h"
#include "vellmor/model_card/model_card.h"

namespace vellmor {
namespace {

using test::DefaultCondition;

const TModelKey& HeatFactor() { return *FindModelKey("heat_transfer.factor"); }

TConvergedSolution SolveWith(double heat_factor, std::optional<TConvergedOptions::TStart> start,
                             std::vector<double> sample_x = {50.0}, bool polish = true) {
  ModelCard card;
  card.SetValue(HeatFactor(), heat_factor);
  TConvergedOptions options;
  options.Model = card.Constants();
  options.SampleX = std::move(sample_x);
  options.Start = start;
  options.Polish = polish;
  return SolveConverged(DefaultCondition(), options);
}

TConvergedOptions::TStart StartOf(const TConvergedSolution& solution) {
  return {solution.SpinneretTension, solution.ResidualSlope};
}

// From the bracketing, from neighbours' roots on either side (whose shootings take two to four
// passes and stop at different points within the tolerance), with samples or without, and
// unpolished where the samples' pass polishes anyway: one spinneret tension and one profile.
TEST(PolishedRoot, AnyStartGivesTheSameSolution) {
  const double factor = ModelCard().Value(HeatFactor());
  const TConvergedSolution cold = SolveWith(factor, std::nullopt);
  for (const double step : {1e-3, 1e-4, 1e-6, -1e-6, -1e-4, -1e-3}) {
    SCOPED_TRACE(step);
    const TConvergedOptions::TStart start = StartOf(SolveWith(factor * (1.0 + step), {}));
    const TConvergedSolution warm = SolveWith(factor, start);
    EXPECT_NEAR(warm.SpinneretTension / cold.SpinneretTension, 1.0, 1e-13);
    EXPECT_NEAR(warm.Profile[0].V / cold.Profile[0].V, 1.0, 1e-12);
    EXPECT_NEAR(SolveWith(factor, start, {}).SpinneretTension / cold.SpinneretTension, 1.0, 1e-13);
    EXPECT_NEAR(SolveWith(factor, start, {50.0}, false).SpinneretTension / cold.SpinneretTension,
                1.0, 1e-13);
  }
}

// F0 at ln p + k h, each solution started from the one before in a jumbled order as a fit's
// iterates are: its second difference over h = 1e-6 is the curvature's h² ∂²F0/∂(ln p)²
// (about 2e-13 F0), which the same difference over 10 h gives a hundred times over, well above
// the rounding. Stopping anywhere within the tolerance would scatter it by 1e-12.
TEST(PolishedRoot, SpinneretTensionIsSmoothInACardConstant) {
  const double factor = ModelCard().Value(HeatFactor());
  std::optional<TConvergedOptions::TStart> start;
  const auto tensions_at = [&](double h) {
    std::vector<double> tension(5);
    for (const int k : {0, 2, -1, 1, -2}) {
      const TConvergedSolution solution = SolveWith(factor * std::exp(k * h), start);
      tension[static_cast<std::size_t>(k + 2)] = solution.SpinneretTension;
      start = StartOf(solution);
    }
    return tension;
  };
  // The curvature of ln F0 in ln p from the second differences of the three middle points and
  // of the outer ones.
  const auto curvatures = [&](double h) {
    const std::vector<double> f = tensions_at(h);
    return std::array{(f[1] - 2.0 * f[2] + f[3]) / (f[2] * h * h),
                      (f[0] - 2.0 * f[2] + f[4]) / (f[2] * 4.0 * h * h)};
  };
  const double curvature = curvatures(1e-5)[0];
  ASSERT_GT(std::fabs(curvature), 0.05);
  for (const double at_small_step : curvatures(1e-6)) {
    EXPECT_NEAR(at_small_step / curvature, 1.0, 0.5);
  }
}

}  // namespace
}  // namespace vellmor
