#include "vellmor/solver/tension_search.h"

#include <gtest/gtest.h>

#include <memory>

#include "vellmor/solver/init_spinline.h"
#include "vellmor/solver/run_state.h"
#include "support/test_support.h"

namespace vellmor {
namespace {

using test::DefaultCondition;

class AdjustTensionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    state_->Condition = DefaultCondition();
    InitSpinline(state_->Condition, state_->Profile, state_->Search);
  }
  // Adjusts after a pass that arrived at final_velocity.
  void Adjust(double final_velocity) {
    state_->Profile.FinalVelocity = final_velocity;
    AdjustTension(state_->Condition, state_->Profile, state_->Search);
  }
  TTensionSearch& search() { return state_->Search; }

  std::unique_ptr<TRunState> state_ = std::make_unique<TRunState>();
};

TEST_F(AdjustTensionTest, TooSlowStepsUpUntilBracketed) {
  Adjust(157.0);
  EXPECT_EQ(search().Tension, 27.5);
  Adjust(275.0);
  EXPECT_EQ(search().Tension, 30.0);
  EXPECT_EQ(search().PassCount, 3);
  EXPECT_FALSE(search().Converged);
}

TEST_F(AdjustTensionTest, TooFastStepsDownEvenBelowZero) {
  for (int pass = 0; pass < 12; ++pass) Adjust(20000.0);
  EXPECT_EQ(search().Tension, 25.0 - 12 * 2.5);
  EXPECT_EQ(search().PassCount, 13);
}

TEST_F(AdjustTensionTest, FalsePositionBetweenLatestPassOnEachSide) {
  // Worked example: over 30 dyn at +500 cm/s, under 27.5 dyn at -300 cm/s give the line
  // R = 320 F - 9100, zero at 28.4375 dyn.
  const double take_up = state_->Profile.TakeUpVelocity;
  search().Tension = 27.5;
  Adjust(take_up - 300.0);
  search().Tension = 30.0;
  Adjust(take_up + 500.0);
  EXPECT_DOUBLE_EQ(search().Tension, 28.4375);
  // A further pass replaces the remembered pass of its own side only.
  Adjust(take_up - 100.0);
  EXPECT_EQ(search().UnderTension, 28.4375);
  EXPECT_EQ(search().OverTension, 30.0);
  EXPECT_GT(search().Tension, 28.4375);
  EXPECT_LT(search().Tension, 30.0);
}

TEST_F(AdjustTensionTest, ConvergenceIsStrictlyBelowOnePerMille) {
  state_->Profile.TakeUpVelocity = 1000.0;
  Adjust(1001.0);  // relative residual exactly 0.001
  EXPECT_FALSE(search().Converged);
  EXPECT_EQ(search().PassCount, 2);
}

TEST_F(AdjustTensionTest, AcceptedPassKeepsTensionAndCompletesLastPoint) {
  TSpinlineProfile& profile = state_->Profile;
  profile.D[101] = 0.0014;
  profile.X[101] = 100.0;
  profile.V[101] = profile.TakeUpVelocity;
  Adjust(profile.TakeUpVelocity);  // residual exactly 0
  EXPECT_TRUE(search().Converged);
  EXPECT_EQ(search().Tension, 25.0);
  EXPECT_EQ(search().PassCount, 1);
  // Zone 2's hyperbola at 100 cm: 60 / 92 + 20.
  EXPECT_DOUBLE_EQ(profile.TA[101], 60.0 / 92.0 + 20.0);
  EXPECT_GT(profile.H[101], 0.0);
  EXPECT_DOUBLE_EQ(profile.Area, 0.78539815 * 0.0014 * 0.0014);
}

}  // namespace
}  // namespace vellmor
