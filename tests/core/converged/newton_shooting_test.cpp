// The shooting on problems whose answers are known in closed form.

#include "vellmor/converged/newton_shooting.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cfloat>
#include <cmath>
#include <span>

namespace vellmor {
namespace {

// Two unknowns, a nonlinear boundary-value problem: with p = (y + z) / 2 and q = (y - z) / 2,
//
//   y'' = 3/2 p² - q,  z'' = 3/2 p² + q,  y(0) = z(0) = 4,  y(1) = 1 + sin 1,  z(1) = 1 - sin 1,
//
// is p'' = 3/2 p² (p = 4 / (1 + x)², p'(0) = -8) beside q'' = -q (q = sin x, q'(0) = 1):
// y'(0) = -7 and z'(0) = -9. Shot from the slopes at x = 0, by the classical Runge–Kutta
// method in 2000 steps.
void MissesAtTheFarEnd(std::span<const double> slopes, std::span<double> misses) {
  using TState = std::array<double, 4>;  // y, z, y', z'
  auto rate = [](const TState& s) {
    const double p = 0.5 * (s[0] + s[1]);
    const double q = 0.5 * (s[0] - s[1]);
    return TState{s[2], s[3], 1.5 * p * p - q, 1.5 * p * p + q};
  };
  auto plus = [](TState a, const TState& b, double h) {
    for (std::size_t i = 0; i < a.size(); ++i) a[i] += h * b[i];
    return a;
  };
  constexpr int kSteps = 2000;
  const double h = 1.0 / kSteps;
  TState s{4.0, 4.0, slopes[0], slopes[1]};
  for (int step = 0; step < kSteps; ++step) {
    const TState k1 = rate(s);
    const TState k2 = rate(plus(s, k1, h / 2));
    const TState k3 = rate(plus(s, k2, h / 2));
    const TState k4 = rate(plus(s, k3, h));
    for (std::size_t i = 0; i < s.size(); ++i) {
      s[i] += h / 6 * (k1[i] + 2 * k2[i] + 2 * k3[i] + k4[i]);
    }
  }
  misses[0] = s[0] - (1.0 + std::sin(1.0));
  misses[1] = s[1] - (1.0 - std::sin(1.0));
}

TEST(Shoot, TwoUnknownBoundaryValueProblemMeetsItsClosedForm) {
  TShootingOptions options;
  options.Tolerance = 1e-12;
  const TShootingResult shot = Shoot(MissesAtTheFarEnd, {{-5.0, -5.0}, {}, {}, {}}, options);
  ASSERT_TRUE(shot.Met);
  EXPECT_NEAR(shot.Unknowns[0], -7.0, 1e-8);
  EXPECT_NEAR(shot.Unknowns[1], -9.0, 1e-8);
  // Newton's convergence: the differences and a handful of steps, not dozens.
  EXPECT_LE(shot.Evaluations, 12);
}

// r = A u - b with A = [[2, 1], [1, 3]], b = (3, 5): u = (0.8, 1.4). With the Jacobian given,
// one Newton step is the answer; by differences, two steps at most.
TEST(Shoot, LinearResidualsTakeOneNewtonStep) {
  auto linear = [](std::span<const double> u, std::span<double> r) {
    r[0] = 2.0 * u[0] + u[1] - 3.0;
    r[1] = u[0] + 3.0 * u[1] - 5.0;
  };
  TShootingOptions options;
  options.Tolerance = 1e-12;
  const TShootingResult given = Shoot(linear, {{0.0, 0.0}, {}, {2.0, 1.0, 1.0, 3.0}, {}}, options);
  ASSERT_TRUE(given.Met);
  EXPECT_EQ(given.Evaluations, 2);
  EXPECT_NEAR(given.Unknowns[0], 0.8, 1e-14);
  EXPECT_NEAR(given.Unknowns[1], 1.4, 1e-14);

  const TShootingResult differences = Shoot(linear, {{0.0, 0.0}, {}, {}, {}}, options);
  ASSERT_TRUE(differences.Met);
  EXPECT_LE(differences.Evaluations, 1 + 2 + 2);
  EXPECT_NEAR(differences.Unknowns[0], 0.8, 1e-12);
}

// One unknown inside a bracket: u³ = 2 between 0 and 3, from the bracket's end, whether the
// slope given leads to the root or away from it (then the bisections take over).
TEST(Shoot, OneUnknownInsideItsBracketFindsTheCubeRoot) {
  auto cube = [](std::span<const double> u, std::span<double> r) {
    r[0] = u[0] * u[0] * u[0] - 2.0;
  };
  TShootingOptions options;
  options.Tolerance = 1e-14;
  options.Bracket = {0.0, -2.0, 3.0, 25.0};
  for (const double slope : {9.0, -1.0}) {
    SCOPED_TRACE(slope);
    const TShootingResult shot = Shoot(cube, {{0.0}, {-2.0}, {slope}, {}}, options);
    ASSERT_TRUE(shot.Met);
    EXPECT_NEAR(shot.Unknowns[0], std::cbrt(2.0), 1e-14);
    EXPECT_LE(shot.Evaluations, 20);
  }
}

// A sign change with no root to meet: the bracket closes on it to adjacent doubles, and the
// shooting says so rather than going on.
TEST(Shoot, BracketClosesOnAJumpWithoutARoot) {
  auto jump = [](std::span<const double> u, std::span<double> r) {
    r[0] = u[0] < 1.0 / 3.0 ? -1.0 : 1.0;
  };
  TShootingOptions options;
  options.Bracket = {0.0, -1.0, 1.0, 1.0};
  const TShootingResult shot = Shoot(jump, {{0.0}, {-1.0}, {2.0}, {}}, options);
  EXPECT_FALSE(shot.Met);
  ASSERT_TRUE(shot.Bracket.has_value());
  EXPECT_LT(shot.Bracket->Low, 1.0 / 3.0);
  EXPECT_GE(shot.Bracket->High, 1.0 / 3.0);
  EXPECT_LE(shot.Bracket->High - shot.Bracket->Low, 4.0 * DBL_EPSILON);
  EXPECT_LT(shot.Evaluations, 100);  // bisections, about one per bit
}

// ln u = 1 from u = 10: Newton's first step would leave u > 0, where ln is defined; the box
// keeps every evaluation inside.
TEST(Shoot, BoxKeepsTheUnknownsWhereTheResidualsAreDefined) {
  double smallest = HUGE_VAL;
  auto log = [&smallest](std::span<const double> u, std::span<double> r) {
    smallest = std::min(smallest, u[0]);
    r[0] = std::log(u[0]) - 1.0;
  };
  TShootingOptions options;
  options.Tolerance = 1e-14;
  options.Lower = {0.0};
  const TShootingResult shot = Shoot(log, {{10.0}, {}, {0.1}, {}}, options);
  ASSERT_TRUE(shot.Met);
  EXPECT_NEAR(shot.Unknowns[0], std::exp(1.0), 1e-13);
  EXPECT_GT(smallest, 0.0);
}

TEST(Shoot, NoRootIsNotMet) {
  auto positive = [](std::span<const double> u, std::span<double> r) { r[0] = u[0] * u[0] + 1.0; };
  const TShootingResult shot = Shoot(positive, {{1.0}, {}, {}, {}}, {});
  EXPECT_FALSE(shot.Met);
  EXPECT_LE(shot.Evaluations, 100);
  EXPECT_FALSE(shot.Bracket.has_value());
}

// The slope at the newest point: exact for a parabola, r = u² − 2 (r' = 2u), through three
// points; the secant's through two; and the secant's where the parabola's slope has the other
// sign (r = −(u − 1)², its top between the last two points).
TEST(SlopeAtNewest, IsTheParabolasOrTheSecants) {
  const auto parabola = [](double u) { return TShootingStart::TPoint{u, u * u - 2.0}; };
  const TShootingStart::TPoint three[] = {parabola(1.0), parabola(1.5), parabola(1.4)};
  EXPECT_NEAR(SlopeAtNewest(three), 2.8, 1e-14);
  const TShootingStart::TPoint two[] = {parabola(1.0), parabola(1.5)};
  EXPECT_NEAR(SlopeAtNewest(two), 2.5, 1e-14);  // (0.25 − (−1)) / 0.5
  const auto hill = [](double u) { return TShootingStart::TPoint{u, -(u - 1.0) * (u - 1.0)}; };
  const TShootingStart::TPoint over[] = {hill(0.0), hill(2.0), hill(0.9)};
  // Parabola: 2 (1 − 0.9) = 0.2 > 0, secant from 2.0: (−0.01 + 1) / (0.9 − 2) < 0.
  EXPECT_NEAR(SlopeAtNewest(over), (-0.01 + 1.0) / (0.9 - 2.0), 1e-14);
}

}  // namespace
}  // namespace vellmor
