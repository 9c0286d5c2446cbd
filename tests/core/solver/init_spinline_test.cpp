#include "vellmor/solver/init_spinline.h"

#include <gtest/gtest.h>

#include <climits>
#include <memory>

#include "vellmor/solver/run_state.h"
#include "support/test_support.h"

namespace vellmor {
namespace {

using test::DefaultCondition;

struct ZoneEndCase {
  double end_position;
  double increment;
  int point;
};

class ZoneEndPoint : public ::testing::TestWithParam<ZoneEndCase> {};

TEST_P(ZoneEndPoint, RoundsPositionOverIncrement) {
  EXPECT_EQ(ZoneEndPointFor(GetParam().end_position, GetParam().increment), GetParam().point);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ZoneEndPoint,
    ::testing::Values(ZoneEndCase{10.0, 1.0, 11}, ZoneEndCase{35.0, 1.0, 36},
                      ZoneEndCase{100.0, 1.0, 101},
                      // 100.0001 / 0.1 = 1000.001: the largest profile that fits.
                      ZoneEndCase{100.0, 0.1, 1001},
                      // 100.0001 / 3 = 33.33: the last point lies at 99 cm, not 100 cm.
                      ZoneEndCase{100.0, 3.0, 34},
                      // The 0.0001 cm lifts a position just short of a step onto it.
                      ZoneEndCase{9.99995, 1.0, 11}, ZoneEndCase{0.4, 1.0, 1},
                      // Far beyond any point number: held at the largest int.
                      ZoneEndCase{1e300, 1e-300, INT_MAX}));

class InitSpinlineDefault : public ::testing::Test {
 protected:
  void SetUp() override {
    state_->Condition = DefaultCondition();
    InitSpinline(state_->Condition, state_->Profile, state_->Search);
  }
  std::unique_ptr<TRunState> state_ = std::make_unique<TRunState>();
};

TEST_F(InitSpinlineDefault, RunConstants) {
  const TSpinlineProfile& profile = state_->Profile;
  EXPECT_DOUBLE_EQ(profile.TakeUpVelocity, 5000.0 * 100.0 / 60.0);
  EXPECT_DOUBLE_EQ(profile.MassFlow, 1.0 / 60.0);
  EXPECT_EQ(profile.ZoneEndPoint[1], 11);
  EXPECT_EQ(profile.ZoneEndPoint[2], 36);
  EXPECT_EQ(profile.ZoneEndPoint[3], 101);
  EXPECT_EQ(profile.StepCount, 100);
}

TEST_F(InitSpinlineDefault, SpinneretExitFromDieSwell) {
  const TSpinlineProfile& profile = state_->Profile;
  // Swell ≈ 1.764927 on the 0.025 cm hole, 1/60 g/s at 1.215 g/cm³ through it.
  EXPECT_NEAR(profile.D[1], 0.0441232, 1e-7);
  EXPECT_NEAR(profile.Area, 0.001529056, 1e-9);
  EXPECT_NEAR(profile.V[1], 8.971170, 1e-6);
  EXPECT_EQ(profile.T[1], 290.0);
  EXPECT_EQ(profile.X[1], 0.0);
  EXPECT_DOUBLE_EQ(profile.Rho[1], 1.215);
  EXPECT_DOUBLE_EQ(profile.Cp[1], 0.474);
  EXPECT_NEAR(profile.Eta[1], 6365.24, 0.01);
}

TEST_F(InitSpinlineDefault, TensionSearchStartsAfresh) {
  state_->Search.Converged = true;
  state_->Search.PassCount = 9;
  state_->Search.Tension = 36.0;
  InitSpinline(state_->Condition, state_->Profile, state_->Search);
  const TTensionSearch& search = state_->Search;
  EXPECT_EQ(search.Tension, 25.0);
  EXPECT_EQ(search.TensionStep, 2.5);
  EXPECT_EQ(search.OverResidual, -1.0);
  EXPECT_EQ(search.UnderResidual, 1.0);
  EXPECT_EQ(search.PassCount, 1);
  EXPECT_FALSE(search.Converged);
}

}  // namespace
}  // namespace vellmor
