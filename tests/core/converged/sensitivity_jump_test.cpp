#include <gtest/gtest.h>

#include <array>
#include <cmath>

#include <boost/numeric/odeint/stepper/runge_kutta_dopri5.hpp>

#include "vellmor/converged/dual.h"
#include "vellmor/converged/dual_dopri5.h"

namespace vellmor {
namespace {

// Decay at rate a until y falls to c, at rate b after:
//
//   y' = −a y (y > c),  y' = −b y (after),  y(0) = y0,
//
// so that the event lies at x_e = ln(y0 / c) / a and y(X) = c exp(−b (X − x_e)) beyond it.
// Its derivatives in closed form, with respect to p = (y0, a, b, c):
//
//   ∂y/∂y0 = y b / (a y0),  ∂y/∂a = −y b ln(y0/c) / a²,  ∂y/∂b = −(X − x_e) y,
//   ∂y/∂c = (y / c)(1 − b / a)
//
// The event moves with y0, a and c, and the rate jumps there: without the jump, ∂y/∂y0 would
// be y / y0.
using D4 = Dual<4>;
using TState1 = std::array<D4, 1>;

constexpr double kY0 = 2.0;
constexpr double kA = 1.5;
constexpr double kB = 0.4;
constexpr double kC = 0.5;
constexpr double kX = 3.0;

struct TIntegrated {
  TState1 Y;
  D4 EventAt;
};

// Dormand–Prince steps of about h over [x, to], the last one landing on to.
template <class F>
TState1 Integrate(const F& f, double x, double to, TState1 y, double h) {
  const int steps = static_cast<int>(std::ceil((to - x) / h));
  TDopri5Step<D4, 1> step;
  for (int i = 0; i < steps; ++i) {
    const double end = i + 1 == steps ? to : x + h;
    Dopri5(f, x, end - x, y, f(x, y), step);
    y = step.End;
    x = end;
  }
  return y;
}

TIntegrated Decay(double h) {
  const D4 y0 = D4::Variable(kY0, 0);
  const D4 a = D4::Variable(kA, 1);
  const D4 b = D4::Variable(kB, 2);
  const D4 c = D4::Variable(kC, 3);
  const auto before = [&](double, const TState1& y) { return TState1{-a * y[0]}; };
  const auto after = [&](double, const TState1& y) { return TState1{-b * y[0]}; };
  // The primal crossing, where the integration is cut.
  const double x_e = std::log(kY0 / kC) / kA;
  TState1 y = Integrate(before, 0.0, x_e, {y0}, h);
  const TState1 f_before = before(x_e, y);
  const D4 moves = EventMoves(y, f_before, 0, c);
  JumpAt(y, f_before, after(x_e, y), moves);
  return {Integrate(after, x_e, kX, y, h), moves};
}

TEST(SensitivityJump, DecayPastALevelAgreesWithItsClosedForm) {
  const double x_e = std::log(kY0 / kC) / kA;
  const double y = kC * std::exp(-kB * (kX - x_e));
  const TIntegrated got = Decay(0.01);
  EXPECT_NEAR(got.Y[0].v, y, 1e-12);
  const std::array<double, 4> expected{y * kB / (kA * kY0),
                                       -y * kB * std::log(kY0 / kC) / (kA * kA), -(kX - x_e) * y,
                                       y / kC * (1.0 - kB / kA)};
  for (int i = 0; i < 4; ++i) EXPECT_NEAR(got.Y[0].d[i], expected[i], 1e-11) << i;
  // The event itself: dx_e/dy0 = 1/(a y0), dx_e/da = −ln(y0/c)/a², dx_e/db = 0,
  // dx_e/dc = −1/(a c).
  const std::array<double, 4> event{1.0 / (kA * kY0), -std::log(kY0 / kC) / (kA * kA), 0.0,
                                    -1.0 / (kA * kC)};
  for (int i = 0; i < 4; ++i) EXPECT_NEAR(got.EventAt.d[i], event[i], 1e-11) << i;
}

// The derivatives are integrated to the method's fifth order: halving the step divides their
// error by about 32.
TEST(SensitivityJump, DerivativesConvergeAtTheFifthOrder) {
  const double x_e = std::log(kY0 / kC) / kA;
  const double y = kC * std::exp(-kB * (kX - x_e));
  const double exact = y * kB / (kA * kY0);
  const double coarse = std::fabs(Decay(0.4).Y[0].d[0] - exact);
  const double fine = std::fabs(Decay(0.2).Y[0].d[0] - exact);
  ASSERT_GT(coarse, 1e-10);
  EXPECT_GT(coarse / fine, 20.0);
  EXPECT_LT(coarse / fine, 50.0);
}

// The step and its dense output over dual numbers are odeint's Dormand–Prince step of the
// system augmented by its sensitivity: y' = −a y with s = ∂y/∂a, s' = −y − a s.
TEST(SensitivityJump, StepAndDenseOutputAreThoseOfTheAugmentedSystem) {
  using State2 = std::array<double, 2>;
  const auto augmented = [](const State2& y, State2& dydx, double) {
    dydx = {-kA * y[0], -y[0] - kA * y[1]};
  };
  boost::numeric::odeint::runge_kutta_dopri5<State2> reference;
  State2 y{kY0, 0.0};
  State2 dydx;
  augmented(y, dydx, 0.0);
  const State2 y_start = y;
  const State2 dydx_start = dydx;
  State2 y_end;
  State2 dydx_end;
  const double h = 0.05;
  reference.do_step(augmented, y_start, dydx_start, 0.0, y_end, dydx_end, h);
  State2 inside;
  const double x = 0.02;
  reference.calc_state(x, inside, y_start, dydx_start, 0.0, y_end, dydx_end, h);

  const D4 a = D4::Variable(kA, 1);
  const auto f = [&](double, const TState1& s) { return TState1{-a * s[0]}; };
  TDopri5Step<D4, 1> step;
  const TState1 y0{D4(kY0)};
  Dopri5(f, 0.0, h, y0, f(0.0, y0), step);
  EXPECT_NEAR(step.End[0].v, y_end[0], 1e-15);
  EXPECT_NEAR(step.End[0].d[1], y_end[1], 1e-15);
  const TState1 dense = Dopri5Dense(step, x);
  EXPECT_NEAR(dense[0].v, inside[0], 1e-15);
  EXPECT_NEAR(dense[0].d[1], inside[1], 1e-15);
}

}  // namespace
}  // namespace vellmor
