// The natural cubic spline against values worked by hand and against its order.

#include "vellmor/converged/cubic_spline.h"

#include <gtest/gtest.h>

#include <cmath>

namespace vellmor {
namespace {

// Through (0, 0), (1, 1), (2, 0): 4 M1 = 6 (−1 − 1), M1 = −3, and at x = 0.5
// S = 0.5 + (0.125 − 0.5)(−3) / 6 = 0.6875; by symmetry the same at 1.5.
TEST(CubicSpline, ThreePointsByHand) {
  const CubicSpline s({0.0, 1.0, 2.0}, {0.0, 1.0, 0.0});
  EXPECT_DOUBLE_EQ(s(0.5), 0.6875);
  EXPECT_DOUBLE_EQ(s(1.5), 0.6875);
  EXPECT_EQ(s(1.0), 1.0);
  // Beyond the ends, the end values.
  EXPECT_EQ(s(-1.0), 0.0);
  EXPECT_EQ(s(3.0), 0.0);
}

// A straight line, a constant and two points are reproduced exactly on uneven nodes.
TEST(CubicSpline, StraightLinesAreExact) {
  const CubicSpline line({0.0, 0.3, 1.0, 2.5, 2.6}, {1.0, 1.6, 3.0, 6.0, 6.2});
  for (const double x : {0.1, 0.7, 1.9, 2.55}) EXPECT_NEAR(line(x), 1.0 + 2.0 * x, 1e-14);
  EXPECT_EQ(CubicSpline({1.0}, {4.0})(7.0), 4.0);
  EXPECT_DOUBLE_EQ(CubicSpline({0.0, 2.0}, {1.0, 5.0})(0.5), 2.0);
}

// Away from the ends the error on a smooth function falls as h⁴: halving the spacing divides
// it by about 16.
TEST(CubicSpline, InteriorErrorFallsAsTheFourthPower) {
  const auto error = [](int intervals) {
    std::vector<double> x, y;
    for (int i = 0; i <= intervals; ++i) {
      x.push_back(4.0 * i / intervals);
      y.push_back(std::sin(x.back()));
    }
    const CubicSpline s(x, y);
    double worst = 0.0;
    for (double at = 1.5; at <= 2.5; at += 0.001) {
      worst = std::max(worst, std::fabs(s(at) - std::sin(at)));
    }
    return worst;
  };
  const double ratio = error(40) / error(80);
  EXPECT_GT(ratio, 12.0);
  EXPECT_LT(ratio, 20.0);
}

}  // namespace
}  // namespace vellmor
