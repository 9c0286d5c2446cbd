#include "vellmor/solver/march_spinline.h"

#include <gtest/gtest.h>

#include <memory>

#include "vellmor/solver/init_spinline.h"
#include "vellmor/solver/run_state.h"
#include "support/test_support.h"

namespace vellmor {
namespace {

using test::DefaultCondition;

class MarchDefault : public ::testing::Test {
 protected:
  void Init(const TSpinCondition& condition) {
    state_->Condition = condition;
    InitSpinline(state_->Condition, state_->Profile, state_->Search);
  }
  TPassEnd March(double tension) {
    state_->Search.Tension = tension;
    return MarchSpinline(state_->Condition, state_->Profile, state_->Search.Tension);
  }
  TSpinlineProfile& profile() { return state_->Profile; }

  std::unique_ptr<TRunState> state_ = std::make_unique<TRunState>();
};

TEST_F(MarchDefault, FullPassFillsEveryPoint) {
  Init(DefaultCondition());
  profile().TA[101] = -999.0;  // the march leaves the last point's air to the search
  profile().X[102] = -999.0;   // and nothing beyond the last point
  const TPassEnd end = March(25.0);
  EXPECT_EQ(end.LastPoint, 101);
  EXPECT_FALSE(end.RanAway);
  EXPECT_EQ(profile().FinalVelocity, profile().V[101]);
  EXPECT_NEAR(profile().FinalVelocity, 156.77, 0.01);  // far too slow at 25 dyn
  EXPECT_EQ(profile().X[101], 100.0);
  EXPECT_EQ(profile().TA[101], -999.0);
  EXPECT_EQ(profile().X[102], -999.0);
  for (int p = 1; p <= 100; ++p) {
    EXPECT_GT(profile().H[p], 0.0) << "point " << p;
    EXPECT_DOUBLE_EQ(profile().VOut[p], profile().V[p] * 0.6) << "point " << p;
  }
  EXPECT_EQ(profile().TA[1], 270.0);
  EXPECT_EQ(profile().TA[11], 50.0);
}

TEST_F(MarchDefault, RunawayStopsThePassWhereVelocityPassesTheLimit) {
  Init(DefaultCondition());
  const TPassEnd end = March(37.5);
  EXPECT_TRUE(end.RanAway);
  EXPECT_EQ(end.LastPoint, 31);
  // Limit 1.2 × 8333.33 = 10000 cm/s, crossed between about 9410 and 10586 cm/s.
  EXPECT_NEAR(profile().V[30], 9410.0, 1.0);
  EXPECT_NEAR(profile().V[31], 10586.0, 1.0);
  EXPECT_EQ(profile().FinalVelocity, profile().V[31]);
}

TEST_F(MarchDefault, OnlyTheSpinneretTensionChangesPointOne) {
  Init(DefaultCondition());
  March(25.0);
  const TSpinlineProfile first = profile();
  March(30.0);
  EXPECT_EQ(profile().F[1], 30.0);
  EXPECT_EQ(profile().V[1], first.V[1]);
  EXPECT_EQ(profile().T[1], first.T[1]);
  EXPECT_EQ(profile().D[1], first.D[1]);
  EXPECT_EQ(profile().Eta[1], first.Eta[1]);
  EXPECT_EQ(profile().X[1], 0.0);
}

TEST_F(MarchDefault, PositionsAreARunningSum) {
  TSpinCondition condition = DefaultCondition();
  condition.Increment = 0.1;
  Init(condition);
  March(25.0);
  double x = 0.0;
  bool differs_from_product = false;
  for (int p = 1; p <= 1001; ++p) {
    ASSERT_EQ(profile().X[p], x) << "point " << p;
    differs_from_product |= x != (p - 1) * 0.1;
    x += 0.1;
  }
  EXPECT_TRUE(differs_from_product);
}

TEST_F(MarchDefault, MassIsConservedAlongThePass) {
  Init(DefaultCondition());
  March(36.0);
  for (int p = 1; p <= 101; ++p) {
    const double flow =
        profile().Rho[p] * profile().V[p] * 0.78539815 * profile().D[p] * profile().D[p];
    EXPECT_NEAR(flow / profile().MassFlow, 1.0, 1e-14) << "point " << p;
  }
}

}  // namespace
}  // namespace vellmor
