#include "vellmor/converged/local_spinline_system.h"

#include <gtest/gtest.h>

#include "vellmor/solver/init_spinline.h"
#include "support/test_support.h"

namespace vellmor {
namespace {

using test::DefaultCondition;

// A filament's state of V, F and T (no structure), its time 0.
struct TFilamentState {
  TFilamentState(double v, double f, double t) : filament(DeclareFilament(layout, false)) {
    y = layout.Zero();
    y[filament.Velocity()] = v;
    y[filament.Tension()] = f;
    y[filament.Temperature()] = t;
  }
  TStateLayout layout;
  TFilamentBlock filament;
  TState y;
};

// The default case at the spinneret exit, F = 25 dyn, still air of zone 1 at x = 0. Worked by
// hand: W = 1/60 g/s, ρ = 1.36 − 0.0005·290 = 1.215, Cp = 0.3 + 0.0006·290 = 0.474,
// λ = 0.273·0.67^5.056·exp(6802/563) ≈ 6365.239 P, TA = 16087.5/(0 − 32.5) + 765 = 270 °C,
// H = 1.37e-4·(V/A)^0.259 ≈ 1.296411e-3, then dV/dx = ρVF/(λW) ≈ 2.568632 1/s,
// dF/dx ≈ −1.776143 dyn/cm and dT/dx ≈ −0.4549486 °C/cm: with the coefficients of its own
// state the first evaluation is that of the march's first step.
TEST(LocalSpinlineSystem, AtTheSpinneretExitMatchesTheHandCalculation) {
  const TSpinCondition condition = DefaultCondition();
  const TSpinneretExit exit = SpinneretExit(condition);
  const TFilamentState state(exit.Velocity, 25.0, 290.0);
  const TFilamentBlock& f = state.filament;
  const TState& y = state.y;
  const LocalSpinlineSystem system(f, condition.IV, exit.MassFlow, ZoneAirAt(condition, 0.0),
                                   false);

  const TLocalPoint point = system.PointAt(y, 0.0);
  EXPECT_NEAR(point.Rho, 1.215, 1e-15);
  EXPECT_NEAR(point.Cp, 0.474, 1e-15);
  EXPECT_NEAR(point.Eta, 6365.239, 1e-3);
  EXPECT_NEAR(point.D, 0.0441232, 1e-7);
  EXPECT_NEAR(point.TA, 270.0, 1e-12);
  EXPECT_NEAR(point.H, 1.296411e-3, 1e-9);

  TState dydx = state.layout.Zero();
  system(y, dydx, 0.0);
  EXPECT_NEAR(dydx[f.Velocity()], 2.568632, 1e-6);
  EXPECT_NEAR(dydx[f.Tension()], -1.776143, 1e-6);
  EXPECT_NEAR(dydx[f.Temperature()], -0.4549486, 1e-7);
  EXPECT_DOUBLE_EQ(dydx[f.Time()], 1.0 / exit.Velocity);
}

TEST(LocalSpinlineSystem, GlassySideDrawsAHundredTimesSlower) {
  const TSpinCondition condition = DefaultCondition();
  const TZoneAir air = ZoneAirAt(condition, 70.0);
  const TFilamentState state(8000.0, 400.0, 69.0);
  const TFilamentBlock& f = state.filament;
  const LocalSpinlineSystem melt(f, condition.IV, 1.0 / 60.0, air, false);
  const LocalSpinlineSystem glass(f, condition.IV, 1.0 / 60.0, air, true);
  EXPECT_DOUBLE_EQ(glass.PointAt(state.y, 70.0).Eta, 100.0 * melt.PointAt(state.y, 70.0).Eta);
  TState melt_rate = state.layout.Zero();
  TState glass_rate = state.layout.Zero();
  melt(state.y, melt_rate, 70.0);
  glass(state.y, glass_rate, 70.0);
  EXPECT_DOUBLE_EQ(glass_rate[f.Velocity()], melt_rate[f.Velocity()] / 100.0);
  // The heat balance has no viscosity.
  EXPECT_DOUBLE_EQ(glass_rate[f.Temperature()], melt_rate[f.Temperature()]);
}

// Position alone decides the zone; a zone end belongs to the next zone, and zone 3 uses the
// air-temperature equation of zone 2 with its own air velocity.
TEST(ZoneAirAt, ChoosesTheZoneByPosition) {
  TSpinCondition condition = DefaultCondition();
  condition.Zones[3].AirVelocity = 7.0;
  struct Case {
    double x, a1, air_velocity;
  };
  for (const Case& c : {Case{0.0, 16087.5, 0.0}, Case{9.999, 16087.5, 0.0}, Case{10.0, 60.0, 50.0},
                        Case{34.999, 60.0, 50.0}, Case{35.0, 60.0, 7.0}, Case{100.0, 60.0, 7.0}}) {
    SCOPED_TRACE(c.x);
    const TZoneAir air = ZoneAirAt(condition, c.x);
    EXPECT_EQ(air.A1, c.a1);
    EXPECT_EQ(air.AirVelocity, c.air_velocity);
  }
  // A second zone that ends before the first never applies.
  condition.Zones[2].EndPosition = 5.0;
  EXPECT_EQ(ZoneAirAt(condition, 7.0).AirVelocity, 0.0);
  EXPECT_EQ(ZoneAirAt(condition, 10.0).AirVelocity, 7.0);
  EXPECT_EQ(ZoneAirAt(condition, 10.0).A1, 60.0);
}

}  // namespace
}  // namespace vellmor
