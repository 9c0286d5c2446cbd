#pragma once

// Forward-mode dual numbers in N directions at once: a value v and its derivatives d[0 … N)
// along N independent directions, carried through every operation by the chain rule,
//
//   (a ± b)' = a' ± b',  (a b)' = a' b + a b',  (a / b)' = (a' − (a/b) b') / b,
//   exp(a)' = exp(a) a',  log(a)' = a' / a,  sqrt(a)' = a' / (2 sqrt a),
//   (a^b)' = b a^(b−1) a' + a^b ln(a) b',
//
// so that a law written once over its arithmetic (spinline_laws.h) gives its value and its
// exact partial derivatives with respect to whatever the directions were seeded with: the
// state of the line and the parameters of the model. A double is a dual with no direction.

#include <array>
#include <cmath>

namespace vellmor {

template <int N>
struct Dual {
  double v = 0.0;
  std::array<double, N> d{};

  constexpr Dual() = default;
  // A constant: its derivatives are 0.
  constexpr Dual(double value) : v(value) {}  // NOLINT: a number is a dual number
  // The variable of direction i, at value.
  static constexpr Dual Variable(double value, int i) {
    Dual x(value);
    x.d[static_cast<std::size_t>(i)] = 1.0;
    return x;
  }

  Dual& operator+=(const Dual& b) {
    v += b.v;
    for (int i = 0; i < N; ++i) d[i] += b.d[i];
    return *this;
  }
  Dual& operator-=(const Dual& b) {
    v -= b.v;
    for (int i = 0; i < N; ++i) d[i] -= b.d[i];
    return *this;
  }
  Dual& operator*=(const Dual& b) { return *this = *this * b; }
  Dual& operator/=(const Dual& b) { return *this = *this / b; }

  friend Dual operator-(const Dual& a) {
    Dual r(-a.v);
    for (int i = 0; i < N; ++i) r.d[i] = -a.d[i];
    return r;
  }
  friend Dual operator+(const Dual& a, const Dual& b) {
    Dual r(a.v + b.v);
    for (int i = 0; i < N; ++i) r.d[i] = a.d[i] + b.d[i];
    return r;
  }
  friend Dual operator+(const Dual& a, double b) {
    Dual r = a;
    r.v += b;
    return r;
  }
  friend Dual operator+(double a, const Dual& b) { return b + a; }
  friend Dual operator-(const Dual& a, const Dual& b) {
    Dual r(a.v - b.v);
    for (int i = 0; i < N; ++i) r.d[i] = a.d[i] - b.d[i];
    return r;
  }
  friend Dual operator-(const Dual& a, double b) {
    Dual r = a;
    r.v -= b;
    return r;
  }
  friend Dual operator-(double a, const Dual& b) {
    Dual r(a - b.v);
    for (int i = 0; i < N; ++i) r.d[i] = -b.d[i];
    return r;
  }
  friend Dual operator*(const Dual& a, const Dual& b) {
    Dual r(a.v * b.v);
    for (int i = 0; i < N; ++i) r.d[i] = a.d[i] * b.v + a.v * b.d[i];
    return r;
  }
  friend Dual operator*(const Dual& a, double b) {
    Dual r(a.v * b);
    for (int i = 0; i < N; ++i) r.d[i] = a.d[i] * b;
    return r;
  }
  friend Dual operator*(double a, const Dual& b) { return b * a; }
  friend Dual operator/(const Dual& a, const Dual& b) {
    const double q = a.v / b.v;
    Dual r(q);
    for (int i = 0; i < N; ++i) r.d[i] = (a.d[i] - q * b.d[i]) / b.v;
    return r;
  }
  friend Dual operator/(const Dual& a, double b) {
    Dual r(a.v / b);
    for (int i = 0; i < N; ++i) r.d[i] = a.d[i] / b;
    return r;
  }
  friend Dual operator/(double a, const Dual& b) {
    const double q = a / b.v;
    Dual r(q);
    for (int i = 0; i < N; ++i) r.d[i] = -q * b.d[i] / b.v;
    return r;
  }

  // Comparisons are of the values: a branch of a law is taken as the value takes it.
  friend bool operator==(const Dual& a, double b) { return a.v == b; }
  friend bool operator<(const Dual& a, const Dual& b) { return a.v < b.v; }
  friend bool operator>(const Dual& a, const Dual& b) { return a.v > b.v; }

  // f(a) with f'(a) = slope.
  Dual Chained(double value, double slope) const {
    Dual r(value);
    for (int i = 0; i < N; ++i) r.d[i] = slope * d[i];
    return r;
  }

  friend Dual exp(const Dual& a) {
    const double e = std::exp(a.v);
    return a.Chained(e, e);
  }
  friend Dual expm1(const Dual& a) { return a.Chained(std::expm1(a.v), std::exp(a.v)); }
  friend Dual log(const Dual& a) { return a.Chained(std::log(a.v), 1.0 / a.v); }
  friend Dual log1p(const Dual& a) { return a.Chained(std::log1p(a.v), 1.0 / (1.0 + a.v)); }
  friend Dual sqrt(const Dual& a) {
    const double s = std::sqrt(a.v);
    return a.Chained(s, 0.5 / s);
  }
  friend Dual pow(const Dual& a, double b) {
    const double p = std::pow(a.v, b);
    return a.Chained(p, PowSlope(a.v, b, p));
  }
  friend Dual pow(const Dual& a, const Dual& b) {
    const double p = std::pow(a.v, b.v);
    Dual r = a.Chained(p, PowSlope(a.v, b.v, p));
    // ∂a^b/∂b = a^b ln a, 0 at a = 0 (where a^b is 0 for every b > 0). The logarithm only
    // where the exponent moves at all.
    bool exponent_moves = false;
    for (int i = 0; i < N; ++i) exponent_moves = exponent_moves || b.d[i] != 0.0;
    if (exponent_moves && a.v > 0.0) {
      const double slope = p * std::log(a.v);
      for (int i = 0; i < N; ++i) r.d[i] += slope * b.d[i];
    }
    return r;
  }
  friend Dual pow(double a, const Dual& b) { return pow(Dual(a), b); }

 private:
  // ∂a^b/∂a = b a^(b−1), from p = a^b: 0 for b = 0; at a = 0 that of the power itself (0
  // above b = 1, 1 at b = 1).
  static double PowSlope(double a, double b, double p) {
    if (b == 0.0) return 0.0;
    if (a == 0.0) return b * std::pow(a, b - 1.0);
    return b * p / a;
  }
};

// The value of a number of either arithmetic.
inline double ValueOf(double x) { return x; }
template <int N>
double ValueOf(const Dual<N>& x) {
  return x.v;
}

// min as a law uses it: the smaller value, with its derivatives.
template <int N>
Dual<N> Smaller(const Dual<N>& a, const Dual<N>& b) {
  return b.v < a.v ? b : a;
}
inline double Smaller(double a, double b) { return b < a ? b : a; }

}  // namespace vellmor
