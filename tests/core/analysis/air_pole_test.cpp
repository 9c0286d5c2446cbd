#include "vellmor/analysis/air_pole.h"

#include <gtest/gtest.h>

#include <memory>

#include "support/test_support.h"
#include "vellmor/base/run_error.h"
#include "vellmor/solver/calculate_spinline.h"
#include "vellmor/solver/run_state.h"

namespace vellmor {
namespace {

std::vector<TAirPole> PolesOfARun(const TSpinCondition& condition) {
  auto state = std::make_unique<TRunState>();
  state->Condition = condition;
  CalculateSpinline(*state);
  return AirPolesOnTheLine(state->Condition, state->Profile);
}

// The air at the points of the zone, by hand from TA = A1 / (x + A2) + A3 at x = 0, 1, … cm:
// the two points either side of the pole give the lowest and the highest.
TEST(AirPolesOnTheLine, FindsThePoleInTheZoneWhoseStepsStraddleIt) {
  const struct {
    int zone_of_a2;
    double a1;
    double a2;
    TAirPole expected;
  } cases[] = {
      // Zone 2, 60 / (x - 20.5) + 20 at x = 20 and 21 cm.
      {2, 60.0, -20.5, {2, 20.5, -100.0, 140.0}},
      // Zone 3 uses zone 2's equation: at x = 50 and 51 cm.
      {2, 60.0, -50.5, {3, 50.5, -100.0, 140.0}},
      // Zone 1, 100 / (x - 5.3) + 765: 431.67 at 5 cm, 907.86 at 6 cm.
      {1, 100.0, -5.3, {1, 5.3, 765.0 - 100.0 / 0.3, 765.0 + 100.0 / 0.7}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.a2);
    TSpinCondition condition = test::DefaultCondition();
    condition.Zones[c.zone_of_a2].A1 = c.a1;
    condition.Zones[c.zone_of_a2].A2 = c.a2;
    const std::vector<TAirPole> poles = PolesOfARun(condition);
    ASSERT_EQ(poles.size(), 1u);
    EXPECT_EQ(poles[0].Zone, c.expected.Zone);
    EXPECT_EQ(poles[0].PositionCm, c.expected.PositionCm);
    EXPECT_NEAR(poles[0].LowestC, c.expected.LowestC, 1e-9);
    EXPECT_NEAR(poles[0].HighestC, c.expected.HighestC, 1e-9);
  }
}

TEST(AirPolesOnTheLine, DefaultPolesLieOffTheirZones) {
  // Zone 1's at 32.5 cm lies beyond its end at 10 cm; zone 2's at 8 cm before its start.
  EXPECT_TRUE(PolesOfARun(test::DefaultCondition()).empty());
}

// A1 = 0 is air of the constant A3: no hyperbola, no pole, whatever A2, for the converged
// solution's refusal. The march's arithmetic stays its own: A2 off its points gives
// 0 / (x + A2) = 0, the same line as any A2 off the line; A2 = 0 gives 0 / 0 at the spinneret,
// an invalid operation, as it always did.
TEST(AirPolesOnTheLine, NoneWhereA1IsZero) {
  TSpinCondition condition = test::DefaultCondition();
  condition.Zones[1].A1 = 0.0;
  condition.Zones[1].A3 = 100.0;
  auto off_the_line = std::make_unique<TRunState>();
  off_the_line->Condition = condition;
  off_the_line->Condition.Zones[1].A2 = 100.0;
  CalculateSpinline(*off_the_line);
  for (const double a2 : {-5.3, -7.25, 0.0}) {
    SCOPED_TRACE(a2);
    condition.Zones[1].A2 = a2;
    EXPECT_EQ(AirPoleAlongTheLine(condition), std::nullopt);
    auto state = std::make_unique<TRunState>();
    state->Condition = condition;
    if (a2 == 0.0) {
      try {
        CalculateSpinline(*state);
        ADD_FAILURE() << "0 / 0 at the spinneret passed";
      } catch (const CalculationError& error) {
        EXPECT_EQ(error.Fault(), CalculationFault::kInvalidOperation);
        EXPECT_EQ(error.PositionCm(), 0.0);
      }
      continue;
    }
    CalculateSpinline(*state);
    const int n = state->Profile.ZoneEndPoint[3];
    ASSERT_EQ(n, off_the_line->Profile.ZoneEndPoint[3]);
    for (int p = 1; p <= n; ++p) {
      ASSERT_EQ(state->Profile.TA[p], off_the_line->Profile.TA[p]) << p;
      ASSERT_EQ(state->Profile.V[p], off_the_line->Profile.V[p]) << p;
    }
  }
  // Zone 2's equation, which zone 3 continues, in the same way.
  TSpinCondition second = test::DefaultCondition();
  second.Zones[2].A1 = 0.0;
  for (const double a2 : {-20.5, -50.0}) {
    second.Zones[2].A2 = a2;
    EXPECT_EQ(AirPoleAlongTheLine(second), std::nullopt) << a2;
    second.Zones[2].A1 = 60.0;
    EXPECT_NE(AirPoleAlongTheLine(second), std::nullopt) << a2;
    second.Zones[2].A1 = 0.0;
  }
}

TEST(AirPoleWarning, SaysWhereAndHowFarTheAirRuns) {
  EXPECT_EQ(AirPoleWarning({2, 20.5, -100.0, 600040.04}),
            "Zone 2 air temperature: the pole of A1/(Z + A2) + A3 lies at 20.5 cm, inside the "
            "zone; air temperatures there run from -100.0 to 600040.0 °C");
}

}  // namespace
}  // namespace vellmor
