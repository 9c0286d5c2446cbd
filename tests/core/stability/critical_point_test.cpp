// The search for the crossing on lines whose growth rate is a known function of the value.

#include <gtest/gtest.h>

#include <cmath>

#include "vellmor/base/run_error.h"
#include "vellmor/stability/critical_point.h"

namespace vellmor {
namespace {

// A line whose leading mode is g + 2i (1/s).
TLineStability LineOf(double g) {
  TLineStability line;
  line.Modes.push_back({{g, 2.0}, {g, 2.0}, true});
  line.ExitVelocity = 1.0;
  line.TakeUpVelocity = 20.0;
  return line;
}

TEST(CriticalPoint, StableStartStepsUpToTheCrossing) {
  int calls = 0;
  // Crosses at the cube root of 50, from below, bent.
  const StabilityAt at = [&](double v) -> std::optional<TLineStability> {
    ++calls;
    return LineOf(v * v * v - 50.0);
  };
  const TCriticalPoint point = FindCriticalPoint(at, 1.0);
  ASSERT_TRUE(point.Found);
  EXPECT_TRUE(point.Upwards);
  EXPECT_NEAR(point.Value, std::cbrt(50.0), 1e-5);
  EXPECT_EQ(point.Evaluations, calls);
  EXPECT_LT(calls, 40);
}

TEST(CriticalPoint, UnstableStartStepsDown) {
  const StabilityAt at = [](double v) -> std::optional<TLineStability> {
    return LineOf(std::log(v / 3.0));
  };
  const TCriticalPoint point = FindCriticalPoint(at, 40.0);
  ASSERT_TRUE(point.Found);
  EXPECT_FALSE(point.Upwards);
  EXPECT_NEAR(point.Value, 3.0, 3e-6);
}

TEST(CriticalPoint, NoCrossingWithinTheStepsNamesHowFarItWent) {
  const StabilityAt at = [](double) -> std::optional<TLineStability> { return LineOf(-1.0); };
  const TCriticalPoint point = FindCriticalPoint(at, 2.0);
  EXPECT_FALSE(point.Found);
  EXPECT_NEAR(point.Value, 2.0 * std::pow(kCriticalStep, kCriticalSteps), 1e-9);
}

TEST(CriticalPoint, ValueOutsideItsRangeEndsTheSearchAtTheLastOne) {
  const StabilityAt at = [](double v) -> std::optional<TLineStability> {
    if (v > 5.0) return std::nullopt;
    return LineOf(-1.0);
  };
  const TCriticalPoint point = FindCriticalPoint(at, 2.0);
  EXPECT_FALSE(point.Found);
  EXPECT_LE(point.Value, 5.0);
  EXPECT_GT(point.Value * kCriticalStep, 5.0);
}

TEST(CriticalPoint, StartThatCanNotBeAnalysedIsAFailure) {
  const StabilityAt at = [](double) -> std::optional<TLineStability> { return std::nullopt; };
  EXPECT_THROW(FindCriticalPoint(at, 2.0), CalculationError);
}

}  // namespace
}  // namespace vellmor
