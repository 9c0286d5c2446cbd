#include "vellmor/converged/dual.h"

#include <gtest/gtest.h>

#include <cmath>

namespace vellmor {
namespace {

using D2 = Dual<2>;

// x and y as the two directions, at x = 1.5, y = 0.4.
const D2 x = D2::Variable(1.5, 0);
const D2 y = D2::Variable(0.4, 1);

void ExpectDual(const D2& got, double value, double dx, double dy) {
  EXPECT_DOUBLE_EQ(got.v, value);
  EXPECT_NEAR(got.d[0], dx, 1e-14 * std::max(1.0, std::fabs(dx)));
  EXPECT_NEAR(got.d[1], dy, 1e-14 * std::max(1.0, std::fabs(dy)));
}

// Each against its derivative by hand.
TEST(Dual, Arithmetic) {
  ExpectDual(x + y, 1.9, 1.0, 1.0);
  ExpectDual(x - y, 1.1, 1.0, -1.0);
  ExpectDual(2.0 - y, 1.6, 0.0, -1.0);
  ExpectDual(-x, -1.5, -1.0, 0.0);
  ExpectDual(x * y, 0.6, 0.4, 1.5);                 // ∂(xy) = (y, x)
  ExpectDual(x / y, 3.75, 1.0 / 0.4, -1.5 / 0.16);  // ∂(x/y) = (1/y, −x/y²)
  ExpectDual(3.0 / x, 2.0, -3.0 / 2.25, 0.0);       // −3/x²
  ExpectDual(x * 2.0 + 1.0, 4.0, 2.0, 0.0);
  D2 z = x;
  z *= y;
  z += x;
  z /= y;  // (xy + x)/y = x + x/y
  ExpectDual(z, 1.5 + 3.75, 1.0 + 1.0 / 0.4, -1.5 / 0.16);
  z -= x;
  ExpectDual(z, 3.75, 1.0 / 0.4, -1.5 / 0.16);
}

TEST(Dual, Functions) {
  ExpectDual(exp(x * y), std::exp(0.6), 0.4 * std::exp(0.6), 1.5 * std::exp(0.6));
  ExpectDual(log(x), std::log(1.5), 1.0 / 1.5, 0.0);
  ExpectDual(sqrt(x), std::sqrt(1.5), 0.5 / std::sqrt(1.5), 0.0);
  ExpectDual(expm1(-y), std::expm1(-0.4), 0.0, -std::exp(-0.4));
  ExpectDual(log1p(-y), std::log1p(-0.4), 0.0, -1.0 / 0.6);
  // x^y: ∂x = y x^(y−1), ∂y = x^y ln x.
  const double p = std::pow(1.5, 0.4);
  ExpectDual(pow(x, y), p, 0.4 * std::pow(1.5, -0.6), p * std::log(1.5));
  ExpectDual(pow(x, 3.0), 3.375, 3.0 * 2.25, 0.0);
  ExpectDual(pow(2.0, y), std::pow(2.0, 0.4), 0.0, std::pow(2.0, 0.4) * std::log(2.0));
  ExpectDual(Smaller(x, D2(1.0)), 1.0, 0.0, 0.0);
  ExpectDual(Smaller(y, D2(1.0)), 0.4, 0.0, 1.0);
}

// ψⁿ at ψ = 0, where Nakamura's kinetics start: the slope of the power itself, and none of
// the exponent's (ψⁿ ln ψ → 0).
TEST(Dual, PowersAtZero) {
  const D2 psi = D2::Variable(0.0, 0);
  const D2 one = D2::Variable(1.0, 1);
  ExpectDual(pow(psi, one), 0.0, 1.0, 0.0);        // ψ¹: slope 1
  ExpectDual(pow(psi, one - 1.0), 1.0, 0.0, 0.0);  // ψ⁰ = 1: no slope at all
  ExpectDual(pow(psi, D2(2.0)), 0.0, 0.0, 0.0);    // ψ²: flat
  EXPECT_TRUE(std::isinf(pow(psi, 0.5).d[0]));     // √ψ: vertical
}

// The chain rule through a law of several steps, against the derivative worked out by hand:
// f = exp(E / (T + 273)) (V/A)^0.259 at T = 200, V = 1000 (A fixed).
TEST(Dual, ChainThroughALaw) {
  const D2 t = D2::Variable(200.0, 0);
  const D2 v = D2::Variable(1000.0, 1);
  const double e = 6802.0;
  const D2 f = exp(e / (t + 273.0)) * pow(v / 0.01, 0.259);
  const double value = std::exp(e / 473.0) * std::pow(1e5, 0.259);
  EXPECT_NEAR(f.v, value, 1e-12 * value);
  EXPECT_NEAR(f.d[0], -value * e / (473.0 * 473.0), 1e-12 * value);
  EXPECT_NEAR(f.d[1], value * 0.259 / 1000.0, 1e-12 * value);
}

}  // namespace
}  // namespace vellmor
