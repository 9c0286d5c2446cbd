#include "vellmor/analysis/air_pole.h"

#include <gtest/gtest.h>

#include <memory>

#include "vellmor/solver/calculate_spinline.h"
#include "vellmor/solver/run_state.h"
#include "support/test_support.h"

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

TEST(AirPoleWarning, SaysWhereAndHowFarTheAirRuns) {
  EXPECT_EQ(AirPoleWarning({2, 20.5, -100.0, 600040.04}),
            "Zone 2 air temperature: the pole of A1/(Z + A2) + A3 lies at 20.5 cm, inside the "
            "zone; air temperatures there run from -100.0 to 600040.0 °C");
}

}  // namespace
}  // namespace vellmor
