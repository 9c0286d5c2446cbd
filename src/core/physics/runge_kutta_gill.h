#pragma once

// Gill's variant of the classical fourth-order Runge–Kutta step, in the form that carries an
// auxiliary vector q from stage to stage and updates the state in place:
//
//   stage 1: k = h f(x, y);        y += k/2;          q = k
//   stage 2: k = h f(x + h/2, y);  y += a2 (k - q);   q = b2 q + c2 k
//   stage 3: k = h f(x + h/2, y);  y += a3 (k - q);   q = b3 q + c3 k
//   stage 4: k = h f(x + h, y);    y = (y + k/6) - q/3
//
// with a2 = 1 - 1/√2, b2 = -2 + 3/√2, c2 = 2 - √2, a3 = 1 + 1/√2, b3 = -2 - 3/√2, c3 = 2 + √2
// taken as the ten- and eleven-digit decimals below, not their closed forms. Each stage
// evaluates f once on the whole state, then updates the elements one after another.

#include "vellmor/physics/state_vector.h"

namespace vellmor {

namespace gill {
inline constexpr long double a2 = 0.29289321881L;
inline constexpr long double b2 = 0.12132034356L;
inline constexpr long double c2 = 0.58578643763L;
inline constexpr long double a3 = 1.7071067812L;
inline constexpr long double b3 = -4.1213203436L;
inline constexpr long double c3 = 3.4142135624L;
}  // namespace gill

// One element's part of each stage, from its derivative d at the stage's point, with
// hl = h in extended precision: the stages of different elements are independent, so a caller
// may take them in any order the derivatives allow. Each is the update from the stage's
// increment k = h d rounded to double (…OfIncrement, k as an extended value holding that
// double), then the stage itself.
namespace gill {

inline void FirstStageOfIncrement(long double k, double& y, double& q) {
  y = static_cast<double>(y + 0.5L * k);
  q = static_cast<double>(k);
}

inline void SecondStageOfIncrement(long double k, double& y, double& q) {
  y = static_cast<double>(y + a2 * (k - q));
  q = static_cast<double>(b2 * q + c2 * k);
}

inline void ThirdStageOfIncrement(long double k, double& y, double& q) {
  y = static_cast<double>(y + a3 * (k - q));
  q = static_cast<double>(b3 * q + c3 * k);
}

inline void FourthStageOfIncrement(long double k, double& y, double q) {
  y = static_cast<double>((y + k / 6.0L) - q / 3.0L);
}

inline void FirstStage(long double hl, double d, double& y, double& q) {
  FirstStageOfIncrement(static_cast<double>(hl * d), y, q);
}

inline void SecondStage(long double hl, double d, double& y, double& q) {
  SecondStageOfIncrement(static_cast<double>(hl * d), y, q);
}

inline void ThirdStage(long double hl, double d, double& y, double& q) {
  ThirdStageOfIncrement(static_cast<double>(hl * d), y, q);
}

inline void FourthStage(long double hl, double d, double& y, double q) {
  FourthStageOfIncrement(static_cast<double>(hl * d), y, q);
}

}  // namespace gill

// Advances the first n elements of y from x to x + h. f(x, y) -> TStateVector receives a copy
// of the state; it is called exactly four times, at x, x + h/2, x + h/2 and x + h.
template <class Derivative>
void RungeKuttaGill(int n, TStateVector& y, double x, double h, Derivative&& f) {
  const long double hl = h;
  const double x_half = static_cast<double>(x + 0.5L * hl);
  const double x_full = static_cast<double>(x + hl);
  TStateVector q{};

  TStateVector dy = f(x, TStateVector(y));
  for (int j = 0; j < n; ++j) gill::FirstStage(hl, dy[j], y[j], q[j]);
  dy = f(x_half, TStateVector(y));
  for (int j = 0; j < n; ++j) gill::SecondStage(hl, dy[j], y[j], q[j]);
  dy = f(x_half, TStateVector(y));
  for (int j = 0; j < n; ++j) gill::ThirdStage(hl, dy[j], y[j], q[j]);
  dy = f(x_full, TStateVector(y));
  for (int j = 0; j < n; ++j) gill::FourthStage(hl, dy[j], y[j], q[j]);
}

}  // namespace vellmor
