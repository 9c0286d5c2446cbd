// The step with its powers taken together must store exactly what the step taken one stage at
// a time stores, at every kind of point; and where a floating-point fault arises it must leave
// the profile alone, so that the step one stage at a time can report the fault.

#include "vellmor/solver/spinline_step.h"

#include <gtest/gtest.h>

#include <cfenv>
#include <cmath>
#include <cstring>
#include <memory>
#include <random>

#include "vellmor/base/floating_point_check.h"
#include "vellmor/physics/pet_properties.h"
#include "vellmor/solver/init_spinline.h"
#include "vellmor/solver/run_state.h"
#include "support/test_support.h"

namespace vellmor {
namespace {

bool SameProfile(const TSpinlineProfile& a, const TSpinlineProfile& b) {
  return std::memcmp(&a, &b, sizeof a) == 0;  // every stored bit, padding aside (none)
}

// The default case with the step of the parameter: a power of two (the default 1 cm, 0.5 cm,
// 2 cm), whose products h d the step together need not round, or not (0.1 cm, 0.3 cm).
class SpinlineStepTest : public ::testing::TestWithParam<double> {
 protected:
  void SetUp() override {
    state_->Condition = test::DefaultCondition();
    state_->Condition.Increment = GetParam();
    InitSpinline(state_->Condition, state_->Profile, state_->Search);
    ClearFloatingPointFaults();
  }

  // Point p of the default case with its state drawn around what a pass meets there:
  // velocity from the spinneret's to past the take-up's, tension from slack to tight, the
  // melt to the glassy filament, and the properties that go with them.
  void DrawPoint(int p, std::mt19937_64& random) {
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    TSpinlineProfile& profile = state_->Profile;
    profile.X[p] = (p - 1) * state_->Condition.Increment;
    profile.V[p] = 5.0 + 9000.0 * unit(random) * unit(random);
    // Now and then a tension so slight that dV/dx lies near or below 2^-1000, where h dV/dx is
    // no longer sure to be a normal double.
    const double slight[] = {0.0, 4.9e-324, 1e-303, 1e-300};
    profile.F[p] = random() % 20 == 0 ? slight[random() % 4] : 600.0 * unit(random);
    profile.T[p] = 20.0 + 280.0 * unit(random);
    const TPetProperties properties = PetProperties(profile.T[p], state_->Condition.IV);
    profile.Rho[p] = properties.Rho;
    profile.Cp[p] = properties.Cp;
    profile.Eta[p] = properties.Eta;
    profile.D[p] = std::sqrt(4.0 * profile.MassFlow / (3.1415926 * profile.Rho[p] * profile.V[p]));
  }

  std::unique_ptr<TRunState> state_ = std::make_unique<TRunState>();
};

TEST_P(SpinlineStepTest, TogetherStoresWhatOneStageAtATimeStores) {
  std::mt19937_64 random(3);
  const PetMaterial pet(state_->Condition.IV);
  auto one_at_a_time = std::make_unique<TSpinlineProfile>();
  int steps = 0;
  for (int i = 0; i < 3000; ++i) {
    // Points in each zone, at the zone ends, and the last step of a pass.
    const int p = 1 + static_cast<int>(random() % state_->Profile.StepCount);
    DrawPoint(p, random);
    *one_at_a_time = state_->Profile;
    ASSERT_TRUE(StepTogether(p, state_->Condition, pet, state_->Profile)) << "point " << p;
    StepOneStageAtATime(p, state_->Condition, pet, *one_at_a_time);
    ASSERT_TRUE(SameProfile(state_->Profile, *one_at_a_time))
        << "point " << p << ", V " << one_at_a_time->V[p];
    ++steps;
  }
  EXPECT_EQ(steps, 3000);
}

TEST_P(SpinlineStepTest, FaultLeavesTheProfileAloneForTheStepOneStageAtATime) {
  const PetMaterial pet(state_->Condition.IV);
  TSpinlineProfile& profile = state_->Profile;
  // A standing filament in still air: the cross-flow ratio 8 Va / V is 0 / 0.
  profile.V[1] = 0.0;
  const auto before = std::make_unique<TSpinlineProfile>(profile);
  EXPECT_FALSE(StepTogether(1, state_->Condition, pet, profile));
  EXPECT_TRUE(SameProfile(profile, *before));
  EXPECT_FALSE(FloatingPointFaultRaised());  // cleared for the step that follows
  test::ExpectCalculationError(CalculationFault::kInvalidOperation, "Calculation stopped: invalid",
                               [&] { StepOneStageAtATime(1, state_->Condition, pet, profile); });
}

INSTANTIATE_TEST_SUITE_P(Steps, SpinlineStepTest, ::testing::Values(1.0, 0.5, 2.0, 0.1, 0.3));

}  // namespace
}  // namespace vellmor
