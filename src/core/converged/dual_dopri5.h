#pragma once

// A Dormand–Prince 5(4) step over a state of any arithmetic (double, or dual numbers for the
// state's derivatives along with it), on a step the adaptive driver has chosen: the same
// tableau and dense output as odeint's runge_kutta_dopri5 (Hairer, Nørsett, Wanner I, p. 191),
// without the error estimate. Over dual numbers it is the derivative of the step itself, which
// integrates the forward sensitivity equations S' = ∂f/∂y S + ∂f/∂p along the converged
// solution to the order of the solution.
//
// And the jump of the sensitivities where the laws change at a position x_e(p) that moves
// with the parameters (an event g(x, y, p) = 0, a zone end):
//
//   S⁺ = S⁻ + (f⁻ − f⁺) dx_e/dp,  dx_e/dp = −(∂g/∂y S⁻ + ∂g/∂p) / (∂g/∂y f⁻) for an event.

#include <array>
#include <cstddef>

#include "vellmor/converged/dual.h"

namespace vellmor {

// out += c k, in either arithmetic.
inline void AddScaled(double& out, double c, double k) { out += c * k; }
template <int N>
void AddScaled(Dual<N>& out, double c, const Dual<N>& k) {
  out.v += c * k.v;
  for (int i = 0; i < N; ++i) out.d[i] += c * k.d[i];
}

// The stages of one step, which its dense output needs.
template <class T, std::size_t M>
struct TDopri5Step {
  using State = std::array<T, M>;
  double X = 0.0;  // the step's start
  double H = 0.0;  // its length
  State Y;         // the state at its start
  State K[7];      // f at the stages; K[0] at the start, K[6] at the end (the next K[0])
  State End;       // the state at its end
};

namespace dopri5_detail {

template <class T, std::size_t M, std::size_t S>
std::array<T, M> Combined(const std::array<T, M>& y, double h, const std::array<double, S>& a,
                          const std::array<T, M>* const (&k)[S]) {
  std::array<T, M> out = y;
  for (std::size_t s = 0; s < S; ++s) {
    if (a[s] == 0.0) continue;
    for (std::size_t m = 0; m < M; ++m) AddScaled(out[m], h * a[s], (*k[s])[m]);
  }
  return out;
}

}  // namespace dopri5_detail

// The step from x over h of system f(x, y) -> dy/dx from y, f there being k1.
template <class T, std::size_t M, class System>
void Dopri5(const System& f, double x, double h, const std::array<T, M>& y,
            const std::array<T, M>& k1, TDopri5Step<T, M>& step) {
  using dopri5_detail::Combined;
  using State = std::array<T, M>;
  step.X = x;
  step.H = h;
  step.Y = y;
  State* k = step.K;
  k[0] = k1;
  const State* k_1[1] = {&k[0]};
  k[1] = f(x + h / 5.0, Combined(y, h, std::array<double, 1>{1.0 / 5.0}, k_1));
  const State* k_2[2] = {&k[0], &k[1]};
  k[2] = f(x + h * 3.0 / 10.0, Combined(y, h, std::array<double, 2>{3.0 / 40.0, 9.0 / 40.0}, k_2));
  const State* k_3[3] = {&k[0], &k[1], &k[2]};
  k[3] = f(x + h * 4.0 / 5.0,
           Combined(y, h, std::array<double, 3>{44.0 / 45.0, -56.0 / 15.0, 32.0 / 9.0}, k_3));
  const State* k_4[4] = {&k[0], &k[1], &k[2], &k[3]};
  k[4] = f(x + h * 8.0 / 9.0, Combined(y, h,
                                       std::array<double, 4>{19372.0 / 6561.0, -25360.0 / 2187.0,
                                                             64448.0 / 6561.0, -212.0 / 729.0},
                                       k_4));
  const State* k_5[5] = {&k[0], &k[1], &k[2], &k[3], &k[4]};
  k[5] = f(x + h, Combined(y, h,
                           std::array<double, 5>{9017.0 / 3168.0, -355.0 / 33.0, 46732.0 / 5247.0,
                                                 49.0 / 176.0, -5103.0 / 18656.0},
                           k_5));
  const State* k_6[6] = {&k[0], &k[1], &k[2], &k[3], &k[4], &k[5]};
  step.End = Combined(y, h,
                      std::array<double, 6>{35.0 / 384.0, 0.0, 500.0 / 1113.0, 125.0 / 192.0,
                                            -2187.0 / 6784.0, 11.0 / 84.0},
                      k_6);
  k[6] = f(x + h, step.End);
}

// The state at x inside the step from its dense output.
template <class T, std::size_t M>
std::array<T, M> Dopri5Dense(const TDopri5Step<T, M>& step, double x) {
  const double theta = (x - step.X) / step.H;
  const double x1 = 5.0 * (2558722523.0 - 31403016.0 * theta) / 11282082432.0;
  const double x3 = 100.0 * (882725551.0 - 15701508.0 * theta) / 32700410799.0;
  const double x4 = 25.0 * (443332067.0 - 31403016.0 * theta) / 1880347072.0;
  const double x5 = 32805.0 * (23143187.0 - 3489224.0 * theta) / 199316789632.0;
  const double x6 = 55.0 * (29972135.0 - 7076736.0 * theta) / 822651844.0;
  const double x7 = 10.0 * (7414447.0 - 829305.0 * theta) / 29380423.0;
  const double theta_m_1 = theta - 1.0;
  const double theta_sq = theta * theta;
  const double a = theta_sq * (3.0 - 2.0 * theta);
  const double b = theta_sq * theta_m_1;
  const double c = theta_sq * theta_m_1 * theta_m_1;
  const double d = theta * theta_m_1 * theta_m_1;
  const std::array<double, 7> weights{a * 35.0 / 384.0 - c * x1 + d,
                                      0.0,
                                      a * 500.0 / 1113.0 + c * x3,
                                      a * 125.0 / 192.0 - c * x4,
                                      a * -2187.0 / 6784.0 + c * x5,
                                      a * 11.0 / 84.0 - c * x6,
                                      b + c * x7};
  const std::array<T, M>* const k[7] = {&step.K[0], &step.K[1], &step.K[2], &step.K[3],
                                        &step.K[4], &step.K[5], &step.K[6]};
  return dopri5_detail::Combined(step.Y, step.H, weights, k);
}

// The jump of the derivatives of y where the laws change at a position that moves by
// moves (its value unused, its derivatives dx_e/dp): f⁻ and f⁺ the rates of the laws before
// and after, at the same state.
template <int N, std::size_t M>
void JumpAt(std::array<Dual<N>, M>& y, const std::array<Dual<N>, M>& f_before,
            const std::array<Dual<N>, M>& f_after, const Dual<N>& moves) {
  for (std::size_t m = 0; m < M; ++m) {
    const double jump = f_before[m].v - f_after[m].v;
    for (int i = 0; i < N; ++i) y[m].d[i] += jump * moves.d[i];
  }
}

// dx_e/dp of an event g = y[component] − level at y, f⁻ the rates before it.
template <int N, std::size_t M>
Dual<N> EventMoves(const std::array<Dual<N>, M>& y, const std::array<Dual<N>, M>& f_before,
                   std::size_t component, const Dual<N>& level) {
  Dual<N> moves(0.0);
  const double rate = f_before[component].v;
  for (int i = 0; i < N; ++i) moves.d[i] = -(y[component].d[i] - level.d[i]) / rate;
  return moves;
}

}  // namespace vellmor
