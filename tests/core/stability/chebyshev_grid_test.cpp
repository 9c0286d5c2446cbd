// Chebyshev collocation's derivative: exact on polynomials of its degree, and converging
// faster than any power of 1/N on a smooth function.

#include <gtest/gtest.h>

#include <cmath>

#include "vellmor/stability/chebyshev_grid.h"

namespace vellmor {
namespace {

// The derivative at the nodes of values f(x) there.
std::vector<double> Derivative(const TChebyshevGrid& grid, double (*f)(double)) {
  std::vector<double> d(grid.X.size(), 0.0);
  for (std::size_t i = 0; i < grid.X.size(); ++i) {
    for (std::size_t j = 0; j < grid.X.size(); ++j) d[i] += grid.D(i, j) * f(grid.X[j]);
  }
  return d;
}

TEST(ChebyshevGrid, NodesRunFromEndToEndClusteredAtBoth) {
  const TChebyshevGrid grid = ChebyshevGrid(10.0, 35.0, 4);
  ASSERT_EQ(grid.X.size(), 5u);
  // 10 + 25 (1 - cos(j π / 4)) / 2.
  EXPECT_EQ(grid.X[0], 10.0);
  EXPECT_NEAR(grid.X[1], 10.0 + 12.5 * (1.0 - std::sqrt(0.5)), 1e-12);
  EXPECT_NEAR(grid.X[2], 22.5, 1e-12);
  EXPECT_NEAR(grid.X[3], 10.0 + 12.5 * (1.0 + std::sqrt(0.5)), 1e-12);
  EXPECT_EQ(grid.X[4], 35.0);
}

TEST(ChebyshevGrid, DifferentiatesACubicExactly) {
  const TChebyshevGrid grid = ChebyshevGrid(-1.0, 3.0, 3);
  const std::vector<double> d = Derivative(grid, [](double x) { return x * x * x - 2.0 * x; });
  for (std::size_t i = 0; i < d.size(); ++i) {
    EXPECT_NEAR(d[i], 3.0 * grid.X[i] * grid.X[i] - 2.0, 1e-12) << i;
  }
}

TEST(ChebyshevGrid, ErrorOnASmoothFunctionFallsFasterThanAnyPower) {
  const auto error = [](int n) {
    const TChebyshevGrid grid = ChebyshevGrid(0.0, 2.0, n);
    const std::vector<double> d = Derivative(grid, [](double x) { return std::exp(std::sin(x)); });
    double largest = 0.0;
    for (std::size_t i = 0; i < d.size(); ++i) {
      const double x = grid.X[i];
      largest = std::max(largest, std::fabs(d[i] - std::cos(x) * std::exp(std::sin(x))));
    }
    return largest;
  };
  // Doubling N squares the error, roughly: far more than the 1/16 of a fourth-order method.
  EXPECT_LT(error(8), 1e-3);
  EXPECT_LT(error(16), 1e-8);
  EXPECT_LT(error(16), error(8) * error(8) * 10.0);
}

}  // namespace
}  // namespace vellmor
