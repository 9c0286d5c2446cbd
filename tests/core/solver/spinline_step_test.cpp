// The step with its powers taken together must store exactly what the step taken one stage at
// a time stores, at every kind of point; and where a floating-point fault arises it must leave
// the profile alone, so that the step one stage at a time can report the fault.

#include "core/solver/spinline_step.h"

#include <gtest/gtest.h>

#include <cfenv>
#include <cmath>
#include <cstring>
#include <memory>
#include <random>

#include "core/physics/pet_properties.h"
#include "core/solver/floating_point_check.h"
#include "core/solver/init_spinline.h"
#include "core/solver/run_state.h"
#include "support/test_support.h"

namespace vellmor {
namespace {

bool SameProfile(const TSpinlineProfile& a, const TSpinlineProfile& b) {
  return std::memcmp(&a, &b, sizeof a) == 0;  // every stored bit, padding aside (none)
}

class SpinlineStepTest : public ::testing::Test {
 protected:
  void SetUp() override {
    state_->Condition = test::DefaultCondition();
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
    profile.F[p] = 600.0 * unit(random);
    profile.T[p] = 20.0 + 280.0 * unit(random);
    const TPetProperties properties = PetProperties(profile.T[p], state_->Condition.IV);
    profile.Rho[p] = properties.Rho;
    profile.Cp[p] = properties.Cp;
    profile.Eta[p] = properties.Eta;
    profile.D[p] = std::sqrt(4.0 * profile.MassFlow / (3.1415926 * profile.Rho[p] * profile.V[p]));
  }

  std::unique_ptr<TRunState> state_ = std::make_unique<TRunState>();
};

TEST_F(SpinlineStepTest, TogetherStoresWhatOneStageAtATimeStores) {
  std::mt19937_64 random(3);
  const PetMaterial pet(state_->Condition.IV);
  auto one_at_a_time = std::make_unique<TSpinlineProfile>();
  int steps = 0;
  for (int i = 0; i < 3000; ++i) {
    // Points in each zone, at the zone ends, and the last step of a pass.
    const int p = 1 + static_cast<int>(random() % 100);
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

TEST_F(SpinlineStepTest, FaultLeavesTheProfileAloneForTheStepOneStageAtATime) {
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

}  // namespace
}  // namespace vellmor
