#pragma once

// The variable the fit moves for one constant p: θ = ln p for a positive constant (a relative
// step means the same everywhere, and it stays positive), else θ = p / |start| (or p itself
// from 0); with bounds lo:hi, θ = a + (b − a) / (1 + e^−u) of an unbounded u, which maps the
// whole line onto (a, b). Internal to the fit.

#include <array>
#include <cmath>
#include <optional>

namespace vellmor::fit {

struct TScale {
  bool Log = false;
  double Unit = 1.0;
  std::optional<std::array<double, 2>> Bounds;  // of θ

  double Theta(double value) const { return Log ? std::log(value) : value / Unit; }
  double Value(double theta) const { return Log ? std::exp(theta) : theta * Unit; }
  // dp/dθ at θ.
  double Slope(double theta) const { return Log ? std::exp(theta) : Unit; }

  double ThetaOfU(double u) const {
    if (!Bounds) return u;
    const auto [a, b] = *Bounds;
    return a + (b - a) / (1.0 + std::exp(-u));
  }
  double UOfTheta(double theta) const {
    if (!Bounds) return theta;
    const auto [a, b] = *Bounds;
    const double s = (theta - a) / (b - a);
    return std::log(s / (1.0 - s));
  }
  // dθ/du at u.
  double ThetaSlope(double u) const {
    if (!Bounds) return 1.0;
    const auto [a, b] = *Bounds;
    const double e = std::exp(-u);
    return (b - a) * e / ((1.0 + e) * (1.0 + e));
  }
};

// The scale of a constant that starts at start, within lo:hi where both are given (a
// logarithm only where the bounds are positive too).
inline TScale ScaleOf(double start, std::optional<double> lo, std::optional<double> hi) {
  TScale scale;
  scale.Log = start > 0.0 && (!lo || *lo > 0.0);
  scale.Unit = start != 0.0 ? std::fabs(start) : 1.0;
  if (lo && hi) scale.Bounds = std::array<double, 2>{scale.Theta(*lo), scale.Theta(*hi)};
  return scale;
}

}  // namespace vellmor::fit
