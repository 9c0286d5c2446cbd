#include "vellmor/physics/runge_kutta_gill.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "vellmor/physics/spin_derivatives.h"

namespace vellmor {
namespace {

TStateVector Scalar(double y0) {
  TStateVector y{};
  y[0] = y0;
  return y;
}

TEST(RungeKuttaGill, DecimalStageConstantsLeaveTheirSignature) {
  // dY/dx = 1: exact would be 0.1; the ten- and eleven-digit constants add about 3.3e-13.
  TStateVector y = Scalar(0.0);
  RungeKuttaGill(1, y, 0.0, 0.1, [](double, TStateVector) { return Scalar(1.0); });
  EXPECT_NEAR(y[0], 0.1000000000003333, 1e-16);
  EXPECT_NE(y[0], 0.1);

  // dY/dx = Y: the fourth-degree Taylor value 1.105170833333333 plus the same excess.
  y = Scalar(1.0);
  RungeKuttaGill(1, y, 0.0, 0.1, [](double, TStateVector s) { return s; });
  EXPECT_NEAR(y[0], 1.105170833333663, 1e-15);
}

TEST(RungeKuttaGill, StagePositionsIntegrateACubicExactly) {
  TStateVector y = Scalar(0.0);
  std::vector<double> positions;
  RungeKuttaGill(1, y, 0.0, 1.0, [&positions](double x, TStateVector) {
    positions.push_back(x);
    return Scalar(4.0 * x * x * x);
  });
  EXPECT_NEAR(y[0], 1.0, 4e-16);
  EXPECT_EQ(positions, (std::vector<double>{0.0, 0.5, 0.5, 1.0}));
}

TEST(RungeKuttaGill, WithoutEquationsTheStateStaysButAllStagesRun) {
  TStateVector y = Scalar(3.0);
  y[5] = 7.0;
  int calls = 0;
  RungeKuttaGill(0, y, 0.0, 1.0, [&calls](double, TStateVector) {
    ++calls;
    return Scalar(1.0);
  });
  EXPECT_EQ(calls, 4);
  EXPECT_EQ(y, [] {
    TStateVector expected = Scalar(3.0);
    expected[5] = 7.0;
    return expected;
  }());
}

TEST(RungeKuttaGill, UntouchedElementsBeyondN) {
  TStateVector y{};
  y[3] = 42.0;
  RungeKuttaGill(3, y, 0.0, 1.0, [](double, TStateVector) { return Scalar(1.0); });
  EXPECT_EQ(y[3], 42.0);
  EXPECT_EQ(y[1], 0.0);  // dY_2/dx = 0
}

// Global error of y' = -y over [0, 2]: a fourth-order method loses 2^4 when h halves.
double DecayError(double h) {
  TStateVector y = Scalar(1.0);
  const int steps = static_cast<int>(std::lround(2.0 / h));
  double x = 0.0;
  for (int i = 0; i < steps; ++i, x += h) {
    RungeKuttaGill(1, y, x, h, [](double, TStateVector s) {
      s[0] = -s[0];
      return s;
    });
  }
  return std::fabs(y[0] - std::exp(-2.0));
}

TEST(RungeKuttaGill, IsFourthOrder) {
  const double ratio_1 = DecayError(0.2) / DecayError(0.1);
  const double ratio_2 = DecayError(0.1) / DecayError(0.05);
  EXPECT_NEAR(std::log2(ratio_1), 4.0, 0.15);
  EXPECT_NEAR(std::log2(ratio_2), 4.0, 0.15);
}

TEST(RungeKuttaGill, OneSpinlineStepFromTheSpinneret) {
  // The default case's spinneret exit at 25 dyn, coefficients frozen at the start point.
  const TStepCoefficients c{1.215, 6365.239198, 0.474, 270.0, 1.296411e-3};
  const double w = 1.0 / 60.0;
  TStateVector y{};
  y[kVelocity] = 8.971170;
  y[kTension] = 25.0;
  y[kTemperature] = 290.0;
  RungeKuttaGill(kSpinlineEquations, y, 0.0, 1.0,
                 [&c, w](double x, TStateVector s) { return SpinDerivatives(s, x, c, w); });
  EXPECT_NEAR(y[kVelocity], 11.83522, 1e-5);
  EXPECT_NEAR(y[kTension], 23.46165, 1e-5);
  EXPECT_NEAR(y[kTemperature], 289.5799, 1e-4);
}

}  // namespace
}  // namespace vellmor
