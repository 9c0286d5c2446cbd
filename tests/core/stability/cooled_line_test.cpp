// The default line, cooled by the quench air and solid from 62 cm on, at its draw ratio of
// about 929: stable, its eigenvalues the same on finer grids, and its response to slow
// ripples that of the steady line itself.

#include <gtest/gtest.h>

#include <array>
#include <cmath>

#include "support/test_support.h"
#include "vellmor/stability/disturbance_response.h"
#include "vellmor/stability/line_stability.h"

namespace vellmor {
namespace {

TEST(CooledLine, SolidifyingLineIsStableAtItsDrawRatio) {
  const TLineStability line = AnalyseStability(test::DefaultCondition(), {});
  EXPECT_NEAR(line.DrawRatio(), 929.0, 1.0);
  ASSERT_TRUE(line.Steady.FreezePoint.has_value());
  // The freeze point cuts the line, as do the zone ends at 10 and 35 cm.
  ASSERT_EQ(line.Ends.size(), 5u);
  EXPECT_EQ(line.Ends[3], *line.Steady.FreezePoint);
  EXPECT_TRUE(line.Leading().Converged);
  EXPECT_TRUE(line.Stable());
  // Disturbances die within a fraction of the filament's residence time (0.28 s).
  EXPECT_LT(line.GrowthRate() * line.Steady.ResidenceTime, -0.5);
}

TEST(CooledLine, LeadingEigenvalueConvergesUnderRefinement) {
  std::array<double, 3> growth{};
  std::array<int, 3> intervals{8, 12, 16};
  for (std::size_t i = 0; i < intervals.size(); ++i) {
    TStabilityOptions options;
    options.Intervals = intervals[i];
    growth[i] = AnalyseStability(test::DefaultCondition(), options).GrowthRate();
  }
  EXPECT_NEAR(growth[1], growth[2], 0.01 * std::fabs(growth[2]));
  EXPECT_NEAR(growth[0], growth[2], 0.02 * std::fabs(growth[2]));
}

// At a frequency far below the line's own (1/s against its tens), the line follows a ripple
// as its steady states do, and the titre at take-up is W / V_L whatever the temperature: the
// roll's speed up by δ takes it down by δ, the pump's throughput up by δ up by δ.
TEST(CooledLine, SlowRipplesMoveTheCrossSectionAsTheSteadyLineDoes) {
  const TSpinCondition condition = test::DefaultCondition();
  const TSteadyLineGrid grid = SampleSteadyLine(condition, {}, false, 8);
  const std::array<double, 1> slow{1e-4};  // Hz
  const TResponsePoint take_up = DisturbanceResponse(grid, Disturbance::kTakeUp, slow)[0];
  const TResponsePoint throughput = DisturbanceResponse(grid, Disturbance::kThroughput, slow)[0];
  EXPECT_NEAR(take_up.Gain.real(), -1.0, 1e-4);
  EXPECT_NEAR(take_up.Gain.imag(), 0.0, 1e-3);
  EXPECT_NEAR(throughput.Gain.real(), 1.0, 1e-4);
  EXPECT_NEAR(throughput.Gain.imag(), 0.0, 1e-3);
}

// Near a lightly damped mode, the roll's ripple is amplified: the response of a line close to
// draw resonance peaks at the mode's frequency.
TEST(CooledLine, ResponsePeaksAtTheFrequencyOfALightlyDampedMode) {
  TSpinCondition condition = test::DefaultCondition();
  condition.TakeUpSpeed = 105.0;  // m/min: a draw ratio of 19.5 of the classical filament
  TModelConstants model;
  model.Laws.HeatFactor = 0.0;
  model.Laws.DragFactor = 0.0;
  model.Laws.Gravity = 0.0;
  model.Laws.InertiaFactor = 0.0;
  const TSteadyLineGrid grid = SampleSteadyLine(condition, model, false, 10);
  const TLineStability line = AnalyseLine(grid, condition, 3);
  ASSERT_TRUE(line.Stable());
  const double mode_hz = line.AngularFrequency() / (2.0 * 3.141592653589793);
  const std::array<double, 3> hz{mode_hz / 2.0, mode_hz, mode_hz * 1.5};
  const std::vector<TResponsePoint> response = DisturbanceResponse(grid, Disturbance::kTakeUp, hz);
  EXPECT_GT(std::abs(response[1].Gain), 3.0 * std::abs(response[0].Gain));
  EXPECT_GT(std::abs(response[1].Gain), 3.0 * std::abs(response[2].Gain));
}

}  // namespace
}  // namespace vellmor
