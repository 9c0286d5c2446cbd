#include "vellmor/analysis/process_numbers.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <vector>

#include "vellmor/solver/calculate_spinline.h"
#include "support/test_support.h"

namespace vellmor {
namespace {

// A made-up spinline of three points, 10 cm apart, worked by hand:
//   V = 10, 100, 1000 cm/s; F = 5, 6, 8 dyn; T = 90, 80, 60 °C; D = 0.04, 0.013, 0.004 cm.
struct ThreePoints {
  std::vector<double> x{0.0, 10.0, 20.0};
  std::vector<double> v{10.0, 100.0, 1000.0};
  std::vector<double> f{5.0, 6.0, 8.0};
  std::vector<double> t{90.0, 80.0, 60.0};
  std::vector<double> d{0.04, 0.013, 0.004};

  TSpinlineSamples Samples() const { return {x, v, f, t, d}; }
};

TEST(ProcessNumbers, ThreePointSpinlineWorkedByHand) {
  const ThreePoints line;
  const TProcessNumbers numbers = ProcessNumbersOf(line.Samples(), 1.0, 5000.0);

  // T crosses 70 °C halfway between 80 and 60: x = 15 cm, V = 550 cm/s = 330 m/min, F = 7 dyn,
  // D = 0.0085 cm; stress = 7 / (0.78539815 × 0.0085²) × 1e-7 = 0.0123358850729 MPa (exact
  // fractions).
  ASSERT_TRUE(numbers.Freeze.has_value());
  EXPECT_DOUBLE_EQ(numbers.Freeze->PositionCm, 15.0);
  EXPECT_DOUBLE_EQ(numbers.Freeze->VelocityMMin, 330.0);
  EXPECT_DOUBLE_EQ(numbers.Freeze->TensionDyn, 7.0);
  EXPECT_NEAR(numbers.Freeze->StressMPa, 0.012335885072913519, 1e-15);

  EXPECT_DOUBLE_EQ(numbers.TakeUpTensionDyn, 8.0);
  EXPECT_DOUBLE_EQ(numbers.FinenessDtex, 2.0);    // 10 000 × 1 g/min / 5000 m/min
  EXPECT_DOUBLE_EQ(numbers.FinenessDenier, 1.8);  // 9 000 × 1 / 5000
  EXPECT_DOUBLE_EQ(numbers.DrawDownRatio, 100.0);
  // 10 × (1/10 + 1/100) / 2 + 10 × (1/100 + 1/1000) / 2 = 0.55 + 0.055 s.
  EXPECT_DOUBLE_EQ(numbers.ResidenceTimeS, 0.605);
  // Steps: 90/10 = 9 and 900/10 = 90 per second; the second's middle is at 15 cm.
  EXPECT_DOUBLE_EQ(numbers.MaxStrainRate1S, 90.0);
  EXPECT_DOUBLE_EQ(numbers.MaxStrainRateAtCm, 15.0);
  EXPECT_DOUBLE_EQ(numbers.FinalDiameterUm, 40.0);
  EXPECT_DOUBLE_EQ(numbers.FinalTemperatureC, 60.0);
}

TEST(ProcessNumbers, FreezePointEdges) {
  ThreePoints line;
  // Never below 70 °C: no freeze point, and nothing made up for it.
  line.t = {90.0, 80.0, 70.0};
  EXPECT_FALSE(FindFreezePoint(line.Samples()).has_value());

  // A point at exactly 70 °C is not yet frozen; the crossing is where the next one falls below.
  line.t = {90.0, 70.0, 60.0};
  ASSERT_TRUE(FindFreezePoint(line.Samples()).has_value());
  EXPECT_DOUBLE_EQ(FindFreezePoint(line.Samples())->PositionCm, 10.0);

  // Already glassy at the spinneret: frozen at x = 0 in the state of the first point,
  // 5 / (0.78539815 × 0.04²) × 1e-7 = 3.97887364517e-4 MPa.
  line.t = {65.0, 60.0, 50.0};
  const std::optional<TFreezePoint> at_exit = FindFreezePoint(line.Samples());
  ASSERT_TRUE(at_exit.has_value());
  EXPECT_EQ(at_exit->PositionCm, 0.0);
  EXPECT_DOUBLE_EQ(at_exit->VelocityMMin, 6.0);
  EXPECT_DOUBLE_EQ(at_exit->TensionDyn, 5.0);
  EXPECT_NEAR(at_exit->StressMPa, 3.9788736451696504e-4, 1e-18);
}

// Where the filament first falls below 70 °C, on temperature profiles alone.
struct FreezeCase {
  const char* name;
  std::vector<double> x;
  std::vector<double> t;
  std::optional<double> freeze_point;
};

class FreezePointOfProfile : public testing::TestWithParam<FreezeCase> {};

TEST_P(FreezePointOfProfile, FollowsTheFirstFallBelowSeventyDegrees) {
  const FreezeCase& c = GetParam();
  const std::vector<double> ones(c.x.size(), 1.0);  // V, F and D play no part in where
  const std::optional<TFreezePoint> freeze = FindFreezePoint({c.x, ones, ones, c.t, ones});
  EXPECT_EQ(freeze ? std::optional(freeze->PositionCm) : std::nullopt, c.freeze_point);
}

INSTANTIATE_TEST_SUITE_P(
    Profiles, FreezePointOfProfile,
    testing::Values(
        // 75 → 65 °C between 1 and 2 cm: 70 °C halfway.
        FreezeCase{"Interpolated", {0, 1, 2, 3}, {80, 75, 65, 60}, 1.5},
        // 72 → 62 °C between 10 and 12 cm: 70 °C a fifth of the way, at 10.4 cm.
        FreezeCase{"UnevenPoints", {0, 10, 12}, {290, 72, 62}, 10.4},
        FreezeCase{"FirstOfTwoCrossings", {0, 1, 2, 3}, {80, 60, 80, 60}, 0.5},
        FreezeCase{"ColdAtTheSpinneret", {0, 1}, {69.9, 80}, 0.0},
        FreezeCase{"NoPoints", {}, {}, std::nullopt}),
    [](const testing::TestParamInfo<FreezeCase>& info) { return info.param.name; });

TEST(ProcessNumbers, NamesInExportOrderWithAbsentFreezePoint) {
  ThreePoints line;
  line.t = {90.0, 85.0, 80.0};
  TProcessNumbers numbers = ProcessNumbersOf(line.Samples(), 1.0, 5000.0);
  numbers.Passes = 3;
  const std::vector<TNamedNumber> named = NamedProcessNumbers(numbers);
  ASSERT_EQ(named.size(), 15u);
  EXPECT_EQ(named.front().Name, "freeze_point_cm");
  for (int i = 0; i < 4; ++i) EXPECT_FALSE(named[i].Value.has_value()) << named[i].Name;
  EXPECT_EQ(named[5].Name, "fineness_dtex");
  EXPECT_EQ(named[5].Value, 2.0);
  EXPECT_EQ(named.back().Name, "passes");
  EXPECT_EQ(named.back().Value, 3.0);
}

// The default case freezes about 64 cm below the spinneret at a fineness of 2 dtex
// (1 g/min at 5000 m/min); the take-up end holds the tension of the last table row, and the
// spinneret tension and pass count are those of the accepted pass of the tension search.
TEST(ProcessNumbers, DefaultRun) {
  const auto state = std::make_unique<TRunState>();
  state->Condition = test::DefaultCondition();
  CalculateSpinline(*state);
  const TProcessNumbers numbers = ProcessNumbersOf(*state);
  ASSERT_TRUE(numbers.Freeze.has_value());
  EXPECT_NEAR(numbers.Freeze->PositionCm, 63.84, 0.01);
  EXPECT_DOUBLE_EQ(numbers.FinenessDtex, 2.0);
  EXPECT_NEAR(numbers.TakeUpTensionDyn, 575.814, 0.0005);
  EXPECT_NEAR(numbers.SpinneretTensionDyn, 36.477, 0.0005);
  EXPECT_EQ(numbers.Passes, 11);
  // 8333.2279 cm/s at the take-up end over 8.971170 cm/s at the spinneret exit.
  EXPECT_NEAR(numbers.DrawDownRatio, 928.890, 0.001);
}

}  // namespace
}  // namespace vellmor
