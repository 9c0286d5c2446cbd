#include "vellmor/physics/spin_derivatives.h"

#include <gtest/gtest.h>

#include <cfenv>
#include <cmath>

namespace vellmor {
namespace {

// The filament just below the spinneret of the default case, to ten digits: V from the die
// swell (≈ 8.971170 cm/s), 290 °C melt, W = 1/60 g/s, the properties at 290 °C and the still
// air of zone 1 at x = 0 (H ≈ 1.296411e-3).
constexpr double kMassFlow = 1.0 / 60.0;
constexpr TStepCoefficients kExit{1.215, 6365.239198, 0.474, 270.0, 1.29641132853e-3};

TStateVector ExitState(double tension) {
  TStateVector y{};
  y[kVelocity] = 8.971169746;
  y[kTension] = tension;
  y[kTemperature] = 290.0;
  return y;
}

TEST(SpinDerivatives, SpinneretExitWithTension) {
  const TStateVector dy = SpinDerivatives(ExitState(25.0), 0.0, kExit, kMassFlow);
  EXPECT_NEAR(dy[kVelocity], 2.568632, 1e-6);
  EXPECT_NEAR(dy[kTension], -1.776143, 1e-6);
  EXPECT_NEAR(dy[kTemperature], -0.4549486, 1e-7);
}

TEST(SpinDerivatives, WithoutTensionOnlyDragAndWeightRemain) {
  const TStateVector dy = SpinDerivatives(ExitState(0.0), 0.0, kExit, kMassFlow);
  EXPECT_EQ(dy[kVelocity], 0.0);
  // 2.84e-4 (W/ρ)^0.195 V^1.195 - 980 W / V.
  EXPECT_NEAR(dy[kTension], -1.818954, 1e-6);
}

TEST(SpinDerivatives, AirAtFilamentTemperatureLeavesItUnchanged) {
  TStepCoefficients c = kExit;
  c.TA = 290.0;
  EXPECT_EQ(SpinDerivatives(ExitState(25.0), 0.0, c, kMassFlow)[kTemperature], 0.0);
  c.TA = 300.0;  // warmer air heats the filament
  EXPECT_GT(SpinDerivatives(ExitState(25.0), 0.0, c, kMassFlow)[kTemperature], 0.0);
}

TEST(SpinDerivatives, DoNotDependOnPosition) {
  EXPECT_EQ(SpinDerivatives(ExitState(25.0), 0.0, kExit, kMassFlow),
            SpinDerivatives(ExitState(25.0), 57.0, kExit, kMassFlow));
}

TEST(SpinDerivatives, ZeroVelocityIsADivisionByZero) {
  // Left to the caller's floating-point check; here only the flag must be raised.
  std::feclearexcept(FE_ALL_EXCEPT);
  SpinDerivatives(TStateVector{}, 0.0, kExit, kMassFlow);
  EXPECT_TRUE(std::fetestexcept(FE_DIVBYZERO | FE_INVALID));
  std::feclearexcept(FE_ALL_EXCEPT);
}

}  // namespace
}  // namespace vellmor
