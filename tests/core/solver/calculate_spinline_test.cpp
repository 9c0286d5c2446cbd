#include "vellmor/solver/calculate_spinline.h"

#include <gtest/gtest.h>

#include <cfenv>
#include <cmath>
#include <memory>
#include <vector>

#include "vellmor/base/run_error.h"
#include "vellmor/inputs/spinline_points.h"
#include "support/test_support.h"

namespace vellmor {
namespace {

using test::DefaultCondition;

class PassLog : public PassObserver {
 public:
  void OnPass(const TPassRecord& pass) override { passes.push_back(pass); }
  std::vector<TPassRecord> passes;
};

std::unique_ptr<TRunState> StateFor(const TSpinCondition& condition) {
  auto state = std::make_unique<TRunState>();
  state->Condition = condition;
  return state;
}

TEST(CalculateSpinline, DefaultCaseShootsOntoTheTakeUpSpeedInElevenPasses) {
  auto state = StateFor(DefaultCondition());
  PassLog log;
  CalculateSpinline(*state, &log);

  // The default case's known pass sequence: five fixed steps too slow, a runaway at 37.5 dyn,
  // then false position.
  struct Expected {
    double tension, tension_tolerance, final_velocity, velocity_tolerance;
    int last_point;
  };
  const std::vector<Expected> expected = {
      {25.0, 0.0, 157.0, 1.0, 101},         {27.5, 0.0, 275.0, 1.0, 101},
      {30.0, 0.0, 521.0, 1.0, 101},         {32.5, 0.0, 1105.0, 1.0, 101},
      {35.0, 0.0, 3033.0, 1.0, 101},        {37.5, 0.0, 10586.0, 1.0, 31},
      {36.754, 0.001, 10000.0, 1e9, 48},    {36.310, 0.001, 0.0, 1e9, 101},
      {36.487, 0.001, 0.0, 1e9, 101},       {36.4757, 0.0001, 0.0, 1e9, 101},
      {36.4771, 0.0001, 8333.23, 0.01, 101}};
  ASSERT_EQ(log.passes.size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) {
    SCOPED_TRACE("pass " + std::to_string(i + 1));
    const TPassRecord& pass = log.passes[i];
    EXPECT_EQ(pass.Pass, static_cast<int>(i + 1));
    EXPECT_NEAR(pass.Tension, expected[i].tension, expected[i].tension_tolerance);
    EXPECT_NEAR(pass.FinalVelocity, expected[i].final_velocity, expected[i].velocity_tolerance);
    EXPECT_EQ(pass.LastPoint, expected[i].last_point);
    EXPECT_EQ(pass.RanAway, expected[i].last_point < 101);
  }
  EXPECT_TRUE(state->Search.Converged);
  EXPECT_EQ(state->Search.PassCount, 11);
  EXPECT_NEAR(state->Profile.FinalVelocity, 8333.23, 0.01);
}

TEST(CalculateSpinline, ConvergedProfileConservesMassAndHasAirEverywhere) {
  auto state = StateFor(DefaultCondition());
  CalculateSpinline(*state);
  const TSpinlineProfile& profile = state->Profile;
  for (int p = 1; p <= 101; ++p) {
    SCOPED_TRACE("point " + std::to_string(p));
    const double flow = profile.Rho[p] * profile.V[p] * 0.78539815 * profile.D[p] * profile.D[p];
    EXPECT_NEAR(flow / profile.MassFlow, 1.0, 1e-14);
    EXPECT_GT(profile.H[p], 0.0);
    EXPECT_TRUE(std::isfinite(profile.TA[p]));
  }
}

TEST(CalculateSpinline, RepeatedRunGivesTheSameProfile) {
  auto first = StateFor(DefaultCondition());
  CalculateSpinline(*first);
  auto second = StateFor(DefaultCondition());
  // Leftovers of a longer, different case must not enter the computation.
  second->Condition.Increment = 0.1;
  CalculateSpinline(*second);
  second->Condition = DefaultCondition();
  CalculateSpinline(*second);
  for (int p = 1; p <= 101; ++p) {
    ASSERT_EQ(second->Profile.V[p], first->Profile.V[p]) << "point " << p;
    ASSERT_EQ(second->Profile.T[p], first->Profile.T[p]) << "point " << p;
    ASSERT_EQ(second->Profile.F[p], first->Profile.F[p]) << "point " << p;
  }
}

TEST(CalculateSpinline, GivesUpAfterThePassBound) {
  auto state = StateFor(DefaultCondition());
  PassLog log;
  test::ExpectCalculationError(CalculationFault::kNoConvergence,
                               "The take-up speed could not be met: no convergence after 3 passes",
                               [&] { CalculateSpinline(*state, &log, 3); });
  EXPECT_EQ(log.passes.size(), 3u);
}

TEST(CalculateSpinline, AirTemperaturePoleAtTheSpinneretIsADivisionByZero) {
  TSpinCondition condition = DefaultCondition();
  condition.Zones[1].A2 = 0.0;  // TA = A1 / x at x = 0
  auto state = StateFor(condition);
  state->Profile.TA[1] = -1.0;
  test::ExpectCalculationError(CalculationFault::kDivisionByZero,
                               "Calculation stopped: floating-point division by zero",
                               [&] { CalculateSpinline(*state); });
  EXPECT_EQ(state->Profile.TA[1], -1.0);          // nothing infinite was stored
  EXPECT_FALSE(std::fetestexcept(FE_DIVBYZERO));  // and the next run starts clean
}

TEST(CalculateSpinline, PoleFurtherDownStoresNothingInfinite) {
  TSpinCondition pole_later = DefaultCondition();
  pole_later.Zones[2].A2 = -20.0;  // zone 2's hyperbola passes its pole at x = 20 cm
  auto state = StateFor(pole_later);
  test::ExpectCalculationError(CalculationFault::kDivisionByZero,
                               "Calculation stopped: floating-point division by zero",
                               [&] { CalculateSpinline(*state); });
  for (int p = 1; p <= 101; ++p) {
    ASSERT_TRUE(std::isfinite(state->Profile.TA[p]) && std::isfinite(state->Profile.V[p]))
        << "point " << p;
  }
}

TEST(CalculateSpinline, NegativeDensityIsAnInvalidOperation) {
  // Above 2720 °C the density correlation 1.36 - 0.0005 T turns negative; the shear rate in
  // the hole follows, and the die swell takes the logarithm of a negative number.
  TSpinCondition condition = DefaultCondition();
  condition.MeltTemperature = 3000.0;
  auto state = StateFor(condition);
  test::ExpectCalculationError(CalculationFault::kInvalidOperation,
                               "Calculation stopped: invalid floating-point operation",
                               [&] { CalculateSpinline(*state); });
  EXPECT_FALSE(std::fetestexcept(FE_INVALID));
}

TEST(CalculateSpinline, OverflowIsNamed) {
  TSpinCondition cold = DefaultCondition();
  cold.MeltTemperature = 1e-300;  // passes the input checks; the melt is solid at once
  cold.Zones[1].A1 = -1e308;      // and the air absurdly cold
  cold.Zones[1].A2 = 1e-300;
  auto frozen = StateFor(cold);
  test::ExpectCalculationError(CalculationFault::kOverflow,
                               "Calculation stopped: floating-point overflow",
                               [&] { CalculateSpinline(*frozen); });
}

TEST(CalculateSpinline, RefusesAProfileBeyondTheArrays) {
  TSpinCondition condition = DefaultCondition();
  condition.Increment = 0.09;  // 1112 points
  auto state = StateFor(condition);
  test::ExpectCalculationError(CalculationFault::kTooManyPoints, kTooManyPoints,
                               [&] { CalculateSpinline(*state); });
  condition.Zones[3].EndPosition = 0.4;  // one point, no step
  condition.Increment = 1.0;
  state = StateFor(condition);
  test::ExpectCalculationError(CalculationFault::kTooFewPoints, kTooFewPoints,
                               [&] { CalculateSpinline(*state); });
}

}  // namespace
}  // namespace vellmor
