#include "vellmor/physics/cooling_air.h"

#include <gtest/gtest.h>

#include "vellmor/inputs/spinline_points.h"
#include "support/test_support.h"

namespace vellmor {
namespace {

using test::DefaultCondition;

const OneBasedArray<int, 3> kDefaultZoneEnds = [] {
  OneBasedArray<int, 3> ends;
  ends[1] = 11;
  ends[2] = 36;
  ends[3] = 101;
  return ends;
}();

// The air of the step from point p as the march takes it: the zone by point number, then the
// zone's air.
TAirCondition AirAtPoint(int p, double area, double x, double v, const TSpinCondition& condition,
                         const OneBasedArray<int, 3>& ends) {
  return AirCondition(ZoneAir(condition, ZoneOfPoint(p, ends[1], ends[2])), area, x, v);
}

TEST(AirCondition, DefaultAirTemperatureIsContinuousAtFirstZoneEnd) {
  const TSpinCondition condition = DefaultCondition();
  // 16087.5 / (0 - 32.5) + 765 = 270; at x = 10: zone 2 gives 60 / 2 + 20 = 50, and zone 1's
  // hyperbola gives 16087.5 / -22.5 + 765 = 50 as well.
  EXPECT_DOUBLE_EQ(AirAtPoint(1, 1e-3, 0.0, 10.0, condition, kDefaultZoneEnds).TA, 270.0);
  EXPECT_DOUBLE_EQ(AirAtPoint(11, 1e-3, 10.0, 10.0, condition, kDefaultZoneEnds).TA, 50.0);
  EXPECT_DOUBLE_EQ(AirAtPoint(10, 1e-3, 10.0, 10.0, condition, kDefaultZoneEnds).TA, 50.0);
}

// Distinct parameters per zone make the chosen zone visible in TA and H.
TSpinCondition MarkedZones() {
  TSpinCondition condition = DefaultCondition();
  condition.Zones[1] = {10.0, 0.0, 1.0, 100.0, 10.0};
  condition.Zones[2] = {35.0, 0.0, 1.0, 200.0, 20.0};
  condition.Zones[3] = {100.0, 0.0, 1.0, 300.0, 30.0};
  return condition;
}

struct ZoneCase {
  int p;
  double ta;            // A3 of the zone whose equation applies
  double air_velocity;  // of the zone whose air applies
};

class ZoneByPointNumber : public ::testing::TestWithParam<ZoneCase> {};

TEST_P(ZoneByPointNumber, ChoosesEquationAndAir) {
  const TSpinCondition condition = MarkedZones();
  const ZoneCase& expected = GetParam();
  TSpinCondition still = condition;
  const TAirCondition air = AirAtPoint(expected.p, 1e-4, 5.0, 1000.0, condition, kDefaultZoneEnds);
  EXPECT_DOUBLE_EQ(air.TA, expected.ta);
  // The same zone with exactly this air velocity gives the same H.
  for (int zone = 1; zone <= 3; ++zone) still.Zones[zone].AirVelocity = expected.air_velocity;
  EXPECT_DOUBLE_EQ(air.H, AirAtPoint(1, 1e-4, 5.0, 1000.0, still, kDefaultZoneEnds).H);
}

INSTANTIATE_TEST_SUITE_P(Boundaries, ZoneByPointNumber,
                         ::testing::Values(ZoneCase{1, 100.0, 10.0},      // spinneret exit
                                           ZoneCase{10, 100.0, 10.0},     // last of zone 1
                                           ZoneCase{11, 200.0, 20.0},     // first of zone 2
                                           ZoneCase{35, 200.0, 20.0},     // last of zone 2
                                           ZoneCase{36, 200.0, 30.0},     // zone 3: zone 2's Tair
                                           ZoneCase{101, 200.0, 30.0}));  // take-up end

TEST(AirCondition, OutOfOrderZoneEndsSkipZoneTwoAir) {
  const TSpinCondition condition = MarkedZones();
  OneBasedArray<int, 3> ends;
  ends[1] = 36;
  ends[2] = 11;
  ends[3] = 101;
  EXPECT_DOUBLE_EQ(AirAtPoint(35, 1e-4, 5.0, 1000.0, condition, ends).TA, 100.0);
  const TAirCondition air = AirAtPoint(36, 1e-4, 5.0, 1000.0, condition, ends);
  EXPECT_DOUBLE_EQ(air.TA, 200.0);
  TSpinCondition third_air = condition;
  third_air.Zones[1].AirVelocity = 30.0;
  EXPECT_DOUBLE_EQ(air.H, AirAtPoint(1, 1e-4, 5.0, 1000.0, third_air, ends).H);
}

TEST(AirCondition, HeatTransferCorrelation) {
  TSpinCondition condition = DefaultCondition();
  // Zone 2 of the defaults blows 50 cm/s; 1.37e-4 · 1e7^0.259 · (1 + 0.4²)^0.167 by hand.
  EXPECT_NEAR(AirAtPoint(20, 1e-4, 20.0, 1000.0, condition, kDefaultZoneEnds).H, 9.130300e-3, 1e-9);
  // Still air makes the cross-flow factor exactly 1.
  EXPECT_NEAR(AirAtPoint(1, 1e-4, 0.0, 1000.0, condition, kDefaultZoneEnds).H, 8.906777e-3, 1e-9);
  // The filament just below the spinneret of the default case.
  EXPECT_NEAR(AirAtPoint(1, 0.001529056, 0.0, 8.971170, condition, kDefaultZoneEnds).H, 1.296411e-3,
              1e-9);
}

}  // namespace
}  // namespace vellmor
