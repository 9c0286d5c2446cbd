#include "vellmor/converged/converged_solution.h"

#include "vellmor/analysis/air_pole.h"

#include <gtest/gtest.h>

#include <cfenv>
#include <cmath>
#include <memory>
#include <vector>

#include "vellmor/base/run_error.h"
#include "vellmor/converged/adaptive_pass.h"
#include "vellmor/solver/calculate_spinline.h"
#include "vellmor/solver/init_spinline.h"
#include "vellmor/solver/run_state.h"
#include "support/test_support.h"

namespace vellmor {
namespace {

using test::DefaultCondition;
using test::ExpectCalculationError;

// Independent reference: a separate script integrating the same equations with the classical
// fourth-order Runge–Kutta at fixed steps of 0.02 cm and 0.01 cm, every coefficient evaluated
// at each stage, the zone ends on step boundaries, the 70 °C crossing found by bisection of the
// step length and the integration restarted there; shooting by regula falsi and bisection to
// ln(V_end / V_takeup) < 1e-13; then Richardson's (16 f(h/2) − f(h)) / 15. The two step sizes
// agree to 2e-12 relative in the tension.
struct TReference {
  double spinneret_tension, take_up_tension, final_temperature, final_diameter, freeze_point;
};
constexpr TReference kDefaultReference{40.4367662686, 589.771745516, 33.3435518792,
                                       0.00137682578578, 62.3341500148};
// The same with zone 1 ending at 10.5 cm, between the points of a 1 cm grid.
constexpr TReference kZoneEndBetweenPointsReference{40.3570456767, 589.455752291, 33.3630807958,
                                                    0.00137683078978, 62.3762108459};

void ExpectRelativelyNear(double actual, double expected, double relative) {
  EXPECT_NEAR(actual, expected, relative * std::fabs(expected));
}

void ExpectReference(const TConvergedSolution& solution, const TReference& reference) {
  ExpectRelativelyNear(solution.SpinneretTension, reference.spinneret_tension, 1e-8);
  ExpectRelativelyNear(solution.TakeUpTension, reference.take_up_tension, 1e-8);
  ExpectRelativelyNear(solution.FinalTemperature, reference.final_temperature, 1e-8);
  ExpectRelativelyNear(solution.FinalDiameter, reference.final_diameter, 1e-8);
  ASSERT_TRUE(solution.FreezePoint.has_value());
  EXPECT_NEAR(*solution.FreezePoint, reference.freeze_point, 1e-6);
}

TEST(SolveConverged, DefaultCaseMeetsTheIndependentReference) {
  const TConvergedSolution solution = SolveConverged(DefaultCondition());
  ExpectReference(solution, kDefaultReference);
  ExpectRelativelyNear(solution.FinalVelocity, 5000.0 * 100.0 / 60.0, 1e-10);
  EXPECT_EQ(solution.Length, 100.0);
  EXPECT_GT(solution.Passes, 8);  // 25 … 42.5 dyn bracket it, then the root finder
  EXPECT_GT(solution.Evaluations, 0);
}

// From a neighbour's root and slope the shooting needs a few passes, not the bracketing's
// eight and more; without a slope it takes one by a difference, and from a start that leads
// nowhere the bracketing takes over. Every way meets the reference.
TEST(SolveConverged, WarmStartMeetsTheReferenceInAFewPasses) {
  struct Case {
    double tension, slope;
    int most_passes;
  };
  for (const Case c : {Case{40.0, 0.7, 6}, Case{40.4, 0.0, 6}, Case{400.0, 0.7, 20}}) {
    SCOPED_TRACE(c.tension);
    TConvergedOptions options;
    options.Start = TConvergedOptions::TStart{c.tension, c.slope};
    const TConvergedSolution solution = SolveConverged(DefaultCondition(), options);
    ExpectReference(solution, kDefaultReference);
    EXPECT_LE(solution.Passes, c.most_passes);
  }
}

// Tolerance proportionality: each decade of tolerance takes most of a decade off the error
// of the spinneret tension, down to a few 1e-9 at the default tolerance.
TEST(SolveConverged, ErrorFallsWithTheTolerance) {
  std::vector<double> errors;
  for (const double tolerance : {1e-5, 1e-6, 1e-7, 1e-8}) {
    TConvergedOptions options;
    options.Tolerance = {tolerance, tolerance};
    const double tension = SolveConverged(DefaultCondition(), options).SpinneretTension;
    errors.push_back(std::fabs(tension / kDefaultReference.spinneret_tension - 1.0));
  }
  for (std::size_t i = 1; i < errors.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_LT(errors[i], errors[i - 1] / 4.0);
  }
  const double order = std::log10(errors.front() / errors.back()) / 3.0;
  EXPECT_GT(order, 0.7);
  EXPECT_LT(order, 1.4);
  EXPECT_LT(errors.back(), 1e-8);
}

TEST(SolveConverged, SamplesTheProfileAtTheRequestedPositions) {
  auto classical = std::make_unique<TRunState>();
  classical->Condition = DefaultCondition();
  CalculateSpinline(*classical);
  TConvergedOptions options;
  options.SampleX = ClassicalGrid(classical->Profile);
  ASSERT_EQ(options.SampleX.size(), 101u);
  const TConvergedSolution solution = SolveConverged(DefaultCondition(), options);
  ASSERT_EQ(solution.Profile.size(), 101u);

  // The spinneret exit: the classical point 1, the hand-worked air of zone 1 at x = 0.
  const TConvergedSample& exit = solution.Profile.front();
  EXPECT_EQ(exit.X, 0.0);
  EXPECT_EQ(exit.V, classical->Profile.V[1]);
  EXPECT_EQ(exit.F, solution.SpinneretTension);
  EXPECT_EQ(exit.T, 290.0);
  EXPECT_NEAR(exit.D, 0.0441232, 1e-7);
  EXPECT_NEAR(exit.TA, 270.0, 1e-12);
  EXPECT_NEAR(exit.H, 1.296411e-3, 1e-9);

  const double mass_flow = 1.0 / 60.0;
  for (const TConvergedSample& sample : solution.Profile) {
    SCOPED_TRACE(sample.X);
    const double rho = 1.36 - 0.0005 * sample.T;
    EXPECT_NEAR(rho * sample.V * 0.78539815 * sample.D * sample.D / mass_flow, 1.0, 1e-14);
    const double air =
        sample.X < 10.0 ? 16087.5 / (sample.X - 32.5) + 765.0 : 60.0 / (sample.X - 8.0) + 20.0;
    EXPECT_NEAR(sample.TA, air, 1e-12);
  }
  // From 35 cm on the air is still: no cross-flow factor in H.
  const TConvergedSample& still = solution.Profile[35];
  EXPECT_EQ(still.X, 35.0);
  const double area = 0.78539815 * still.D * still.D;
  EXPECT_NEAR(still.H, 1.37e-4 * std::pow(still.V / area, 0.259), 1e-15);

  const TConvergedSample& take_up = solution.Profile.back();
  EXPECT_EQ(take_up.X, 100.0);
  EXPECT_EQ(take_up.F, solution.TakeUpTension);
  EXPECT_EQ(take_up.T, solution.FinalTemperature);
  EXPECT_EQ(take_up.D, solution.FinalDiameter);
}

// The glass point falls inside a step of the 1 cm grid (between 62 and 63 cm) and inside
// whatever step the adaptive integration takes; it is found on the dense output, so the
// temperature there is 70 °C to round-off.
TEST(SolveConverged, FindsTheFreezePointToRoundOff) {
  const double freeze_point = *SolveConverged(DefaultCondition()).FreezePoint;
  TConvergedOptions options;
  options.SampleX = {freeze_point - 1e-7, freeze_point, freeze_point + 1e-7};
  const TConvergedSolution solution = SolveConverged(DefaultCondition(), options);
  ASSERT_EQ(solution.Profile.size(), 3u);
  EXPECT_GT(solution.Profile[0].T, 70.0);
  EXPECT_NEAR(solution.Profile[1].T, 70.0, 1e-11);
  EXPECT_LT(solution.Profile[2].T, 70.0);
}

TEST(SolveConverged, FilamentInHotAirNeverFreezes) {
  TSpinCondition condition = DefaultCondition();
  condition.Zones[2].A3 = 100.0;  // air of zones 2 and 3 never below 100 °C
  TConvergedOptions options;
  options.SampleX = {0.0, 50.0, 100.0};
  const TConvergedSolution solution = SolveConverged(condition, options);
  EXPECT_FALSE(solution.FreezePoint.has_value());
  EXPECT_GT(solution.FinalTemperature, 100.0);
  for (const TConvergedSample& sample : solution.Profile) EXPECT_GT(sample.T, 100.0);
}

// A first centimetre only: a melt this cold swells so much at the spinneret that it soon comes
// to a standstill.
TEST(AdaptivePass, MeltBelowTheGlassPointIsFrozenAtTheSpinneret) {
  TSpinCondition condition = DefaultCondition();
  condition.MeltTemperature = 60.0;
  condition.Zones[3].EndPosition = 1.0;
  const AdaptivePass pass(condition, SpinneretExit(condition), {});
  long evaluations = 0;
  const TAdaptivePassEnd end = pass.Run(25.0, evaluations);
  EXPECT_EQ(end.X, 1.0);
  ASSERT_TRUE(end.FreezePoint.has_value());
  EXPECT_EQ(*end.FreezePoint, 0.0);
}

// At 42.5 dyn the default filament runs away: the pass stops where it reaches 1.2 × the
// take-up velocity of 5000 m/min, located on the dense output.
TEST(AdaptivePass, StopsWhereTheFilamentReachesTheRunawayVelocity) {
  const TSpinCondition condition = DefaultCondition();
  const AdaptivePass pass(condition, SpinneretExit(condition), {});
  long evaluations = 0;
  const TAdaptivePassEnd end = pass.Run(42.5, evaluations);
  EXPECT_TRUE(end.RanAway);
  EXPECT_GT(end.X, 0.0);
  EXPECT_LT(end.X, 100.0);
  const double runaway_velocity = 1.2 * 5000.0 * 100.0 / 60.0;  // cm/s
  EXPECT_GE(end.State[pass.Filament().Velocity()], runaway_velocity);
  EXPECT_NEAR(end.State[pass.Filament().Velocity()], runaway_velocity, 1e-9);
}

// Zone 1 ending at 10.5 cm: the march puts the zone end on the grid point nearest to it, the
// converged solution at 10.5 cm itself, whatever the increment.
TEST(SolveConverged, ZoneEndBetweenGridPointsIsTakenWhereItIs) {
  TSpinCondition condition = DefaultCondition();
  condition.Zones[1].EndPosition = 10.5;
  TConvergedOptions options;
  options.SampleX = {10.4, 10.5, 10.6};
  const TConvergedSolution solution = SolveConverged(condition, options);
  ExpectReference(solution, kZoneEndBetweenPointsReference);
  // Zone 1's hyperbola just before the end, zone 2's from it on.
  EXPECT_NEAR(solution.Profile[0].TA, 16087.5 / (10.4 - 32.5) + 765.0, 1e-10);
  EXPECT_NEAR(solution.Profile[1].TA, 60.0 / (10.5 - 8.0) + 20.0, 1e-12);
  EXPECT_NEAR(solution.Profile[2].TA, 60.0 / (10.6 - 8.0) + 20.0, 1e-12);

  condition.Increment = 0.7;
  EXPECT_EQ(SolveConverged(condition).SpinneretTension, solution.SpinneretTension);
}

// The melt leaves the spinneret faster than 1.2 × a take-up of 3 m/min (5 cm/s): every pass
// runs away, the search steps the tension down to the end of its passes.
TEST(SolveConverged, RunawayOnEveryTensionIsAFailure) {
  TSpinCondition condition = DefaultCondition();
  condition.TakeUpSpeed = 3.0;
  ExpectCalculationError(CalculationFault::kNoConvergence,
                         "Converged solution: no spinneret tension brought the filament to the "
                         "take-up speed from both sides in 1000 passes",
                         [&] { SolveConverged(condition); });
}

TEST(SolveConverged, StopsAtItsPassBound) {
  TConvergedOptions options;
  options.MaxPasses = 5;  // the default case needs eight passes to bracket
  ExpectCalculationError(CalculationFault::kNoConvergence,
                         "Converged solution: no spinneret tension brought the filament to the "
                         "take-up speed from both sides in 5 passes",
                         [&] { SolveConverged(DefaultCondition(), options); });
  options.MaxPasses = 9;
  ExpectCalculationError(CalculationFault::kNoConvergence,
                         "Converged solution: the take-up speed could not be met after 9 passes",
                         [&] { SolveConverged(DefaultCondition(), options); });
}

// Zone 1's air hyperbola with its pole at 5 cm: the air temperature, and with it the cooling,
// grows without bound, and the steps shrink to nothing before it.
// The air runs to ±infinity at the pole of its hyperbola: where that lies inside the stretch of
// the line that uses the equation, the converged solution refuses the case rather than step
// over it. The defaults have their poles at 32.5 cm (zone 1 ends at 10) and 8 cm (zone 2
// starts at 10).
TEST(SolveConverged, AirPoleInsideTheLineIsRefused) {
  const struct {
    int zone;  // the zone whose A2 is set
    double a2;
    const char* message;
  } cases[] = {
      {1, 0.0,
       "the air temperature of zone 1 has the pole of A1/(Z + A2) + A3 inside the zone, "
       "at 0 cm"},
      {1, -5.0,
       "the air temperature of zone 1 has the pole of A1/(Z + A2) + A3 inside the "
       "zone, at 5 cm"},
      {1, -10.0,
       "the air temperature of zone 1 has the pole of A1/(Z + A2) + A3 inside the "
       "zone, at 10 cm"},
      {2, -20.5,
       "the air temperature of zone 2 has the pole of A1/(Z + A2) + A3 inside the "
       "zone, at 20.5 cm"},
      {2, -50.0,
       "the air temperature of zone 3 has the pole of A1/(Z + A2) + A3 inside the "
       "zone, at 50 cm"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.message);
    TSpinCondition condition = DefaultCondition();
    condition.Zones[c.zone].A2 = c.a2;
    ExpectCalculationError(CalculationFault::kAirPoleOnTheLine, c.message,
                           [&] { SolveConverged(condition); });
  }
  // Beyond the end of the line, or before the spinneret: no pole on it.
  for (const double a2 : {-100.5, 5.0}) {
    TSpinCondition condition = DefaultCondition();
    condition.Zones[2].A2 = a2;
    EXPECT_EQ(AirPoleAlongTheLine(condition), std::nullopt) << a2;
  }
  EXPECT_EQ(AirPoleAlongTheLine(DefaultCondition()), std::nullopt);
}

// Pushed back at the spinneret, the filament slows down to a standstill, where its weight per
// unit length grows without bound.
TEST(AdaptivePass, FilamentComingToAStandstillIsAStepSizeUnderflow) {
  const TSpinCondition condition = DefaultCondition();
  const AdaptivePass pass(condition, SpinneretExit(condition), {});
  long evaluations = 0;
  ExpectCalculationError(CalculationFault::kStepSizeUnderflow,
                         "Converged solution stopped: step size underflow at x = ", [&] {
                           pass.Run(-50.0, evaluations);
                         });
}

TEST(SolveConverged, FloatingPointFaultIsAFailure) {
  // No output: the spinneret-exit velocity is 0 / 0.
  TSpinCondition condition = DefaultCondition();
  condition.Output = 0.0;
  ExpectCalculationError(CalculationFault::kInvalidOperation,
                         "Calculation stopped: invalid floating-point operation",
                         [&] { SolveConverged(condition); });
}

// The flags are the thread's: whatever the caller left raised is not the solution's fault.
TEST(SolveConverged, IgnoresFlagsRaisedBeforeIt) {
  std::feraiseexcept(FE_DIVBYZERO | FE_INVALID);
  EXPECT_NO_THROW(SolveConverged(DefaultCondition()));
}

}  // namespace
}  // namespace vellmor
