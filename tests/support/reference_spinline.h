#pragma once

// A reference spinline written from the model's equations alone, for tests that must not
// trust the engine: fixed-step classical Runge–Kutta in double, the solidification crossing
// located by bisection of the step, shooting by regula falsi to ln(V_end / V_takeup) < 1e-13,
// Richardson's extrapolation of steps of 0.02 and 0.01 cm. It shares nothing with the engine
// but the condition; its constants are those of the built-in card unless set.

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <vector>

#include "vellmor/inputs/spin_condition.h"

namespace vellmor::test {

// The constants the reference uses, by their card keys' meaning.
struct TReferenceConstants {
  double heat_factor = 1.37e-4;
  double gravity = 980.0;
  double activation = 6802.0;
  double solidification = 70.0;
  double inertia = 1.0;  // the factor of the inertia term W dV/dx
};

struct TReferenceResult {
  double spinneret_tension = 0.0;
  double take_up_tension = 0.0;
  double final_temperature = 0.0;
  double final_diameter = 0.0;
  double freeze_point = -1.0;
  // V (cm/s), F (dyn), T (°C), D (cm) at each requested position.
  std::vector<std::array<double, 4>> samples;
};

constexpr double kPi = 3.1415926;
constexpr double kQuarterPi = 0.78539815;

class ReferenceSpinline {
 public:
  // positions: ascending, each on the grid of every step used (multiples of 0.02 cm).
  ReferenceSpinline(const TSpinCondition& c, const TReferenceConstants& k,
                    std::vector<double> positions = {})
      : c_(c), k_(k), positions_(std::move(positions)) {
    w_ = c.Output / 60.0;
    take_up_ = c.TakeUpSpeed * 100.0 / 60.0;
    iv_power_ = std::pow(c.IV, 5.056);
    const double rho = 1.36 - 0.0005 * c.MeltTemperature;
    const double r = c.HoleDiameter / 2.0;
    const double shear_rate = 4.0 * w_ / rho / (kPi * r * r * r);
    const double swell = 0.575 *
                         std::exp(-3650.0 * (1.0 / 548.0 - 1.0 / (c.MeltTemperature + 273.0))) *
                         std::pow(shear_rate, 0.134) * std::pow(c.IV / 0.61, 0.85);
    const double d0 = swell * c.HoleDiameter;
    v0_ = w_ / (rho * kQuarterPi * d0 * d0);
  }

  // (V, F, T) at the take-up end for spinneret tension f0; V is left at 1e6 cm/s once it runs
  // away past a hundred times the take-up velocity.
  TReferenceResult Shoot(double f0, double h, double* final_velocity) const {
    std::array<double, 3> y{v0_, f0, c_.MeltTemperature};
    std::size_t next_sample = 0;
    const auto record = [&](double x) {
      while (next_sample < positions_.size() && std::fabs(positions_[next_sample] - x) < h / 4) {
        const double rho = 1.36 - 0.0005 * y[2];
        samples_.push_back({y[0], y[1], y[2], std::sqrt(w_ / (rho * y[0]) / kQuarterPi)});
        ++next_sample;
      }
    };
    samples_.clear();
    record(0.0);
    bool solid = y[2] < k_.solidification;
    TReferenceResult result;
    result.spinneret_tension = f0;
    if (solid) result.freeze_point = 0.0;
    const double length = c_.Zones[3].EndPosition;
    const long steps = std::lround(length / h);
    for (long i = 0; i < steps; ++i) {
      const double x = i * h;
      std::array<double, 3> next = Step(y, x, h, solid);
      if (!solid && next[2] < k_.solidification) {
        // The largest part of the step that stays molten, to the bisection's end.
        double lo = 0.0, hi = h;
        for (int b = 0; b < 60; ++b) {
          const double mid = 0.5 * (lo + hi);
          (Step(y, x, mid, false)[2] < k_.solidification ? hi : lo) = mid;
        }
        y = Step(y, x, hi, false);
        result.freeze_point = x + hi;
        solid = true;
        next = Step(y, x + hi, h - hi, true);
      }
      y = next;
      record((i + 1) * h);
      if (!(y[0] < 100.0 * take_up_)) {
        *final_velocity = 1e6;
        return result;
      }
    }
    *final_velocity = y[0];
    result.take_up_tension = y[1];
    result.final_temperature = y[2];
    const double rho = 1.36 - 0.0005 * y[2];
    result.final_diameter = std::sqrt(w_ / (rho * y[0]) / kQuarterPi);
    result.samples = samples_;
    return result;
  }

  // Shoots f0 until V at the end meets the take-up velocity to 1e-13 relative.
  TReferenceResult Solve(double h) const {
    double v = 0.0;
    const auto residual = [&](double f0) {
      Shoot(f0, h, &v);
      return std::log(v / take_up_);
    };
    double a = 25.0, ra = residual(a);
    double b = a, rb = ra;
    while (rb < 0.0) {
      a = b;
      ra = rb;
      b += 2.5;
      rb = residual(b);
    }
    // Illinois' regula falsi: the side that stays has its residual halved.
    int side = 0;
    double f0 = b;
    for (int pass = 0; pass < 200 && b - a > 1e-13 * b; ++pass) {
      f0 = (a * rb - b * ra) / (rb - ra);
      const double r = residual(f0);
      if (std::fabs(r) < 1e-13) break;
      if (r < 0.0) {
        a = f0, ra = r;
        if (side == -1) rb /= 2.0;
        side = -1;
      } else {
        b = f0, rb = r;
        if (side == 1) ra /= 2.0;
        side = 1;
      }
    }
    return Shoot(f0, h, &v);
  }

 private:
  // zone_x: a position inside the step, which picks the zone's air for all of it (a zone end
  // is a step boundary).
  std::array<double, 3> Rates(const std::array<double, 3>& y, double x, double zone_x,
                              bool solid) const {
    const double v = y[0], f = y[1], t = y[2];
    const double rho = 1.36 - 0.0005 * t;
    const double cp = 0.3 + 0.0006 * t;
    double eta = 0.273 * iv_power_ * std::exp(k_.activation / (t + 273.0));
    if (solid) eta *= 100.0;
    // Zone 3 keeps zone 2's air.
    const auto& air = zone_x < c_.Zones[1].EndPosition ? c_.Zones[1] : c_.Zones[2];
    const double air_velocity = zone_x < c_.Zones[1].EndPosition   ? c_.Zones[1].AirVelocity
                                : zone_x < c_.Zones[2].EndPosition ? c_.Zones[2].AirVelocity
                                                                   : c_.Zones[3].AirVelocity;
    const double ta = air.A1 / (x + air.A2) + air.A3;
    const double area = w_ / (rho * v);
    const double d = std::sqrt(area / kQuarterPi);
    const double cross = 8.0 * air_velocity / v;
    const double heat =
        k_.heat_factor * std::pow(v / area, 0.259) * std::pow(1.0 + cross * cross, 0.167);
    const double dv = rho * v * f / (eta * w_);
    const double df = 2.84e-4 * std::pow(w_ / rho, 0.195) * std::pow(v, 1.195) +
                      (k_.inertia * dv - k_.gravity / v) * w_;
    const double dt = kPi * d * heat * (ta - t) / (w_ * cp);
    return {dv, df, dt};
  }

  std::array<double, 3> Step(const std::array<double, 3>& y, double x, double h, bool solid) const {
    const auto add = [](const std::array<double, 3>& a, const std::array<double, 3>& k, double s) {
      return std::array<double, 3>{a[0] + s * k[0], a[1] + s * k[1], a[2] + s * k[2]};
    };
    const double zone_x = x + h / 2;
    const auto k1 = Rates(y, x, zone_x, solid);
    const auto k2 = Rates(add(y, k1, h / 2), x + h / 2, zone_x, solid);
    const auto k3 = Rates(add(y, k2, h / 2), x + h / 2, zone_x, solid);
    const auto k4 = Rates(add(y, k3, h), x + h, zone_x, solid);
    std::array<double, 3> next{};
    for (int i = 0; i < 3; ++i) next[i] = y[i] + h / 6 * (k1[i] + 2 * k2[i] + 2 * k3[i] + k4[i]);
    return next;
  }

  TSpinCondition c_;
  TReferenceConstants k_;
  std::vector<double> positions_;
  mutable std::vector<std::array<double, 4>> samples_;
  double w_ = 0.0, take_up_ = 0.0, iv_power_ = 0.0, v0_ = 0.0;
};

// Steps of 0.02 and 0.01 cm (the zone ends on step boundaries), extrapolated; the two must
// already agree closely, or the reference itself is in doubt.
inline TReferenceResult Reference(const TSpinCondition& condition, const TReferenceConstants& k,
                                  const std::vector<double>& positions = {}) {
  const ReferenceSpinline line(condition, k, positions);
  const TReferenceResult coarse = line.Solve(0.02);
  const TReferenceResult fine = line.Solve(0.01);
  const auto extrapolated = [](double c, double f) { return (16.0 * f - c) / 15.0; };
  EXPECT_NEAR(coarse.spinneret_tension / fine.spinneret_tension, 1.0, 1e-8);
  TReferenceResult result{extrapolated(coarse.spinneret_tension, fine.spinneret_tension),
                          extrapolated(coarse.take_up_tension, fine.take_up_tension),
                          extrapolated(coarse.final_temperature, fine.final_temperature),
                          extrapolated(coarse.final_diameter, fine.final_diameter),
                          extrapolated(coarse.freeze_point, fine.freeze_point),
                          {}};
  EXPECT_EQ(coarse.samples.size(), positions.size());
  EXPECT_EQ(fine.samples.size(), positions.size());
  for (std::size_t i = 0; i < positions.size() && i < fine.samples.size(); ++i) {
    std::array<double, 4> sample{};
    for (std::size_t q = 0; q < 4; ++q) {
      sample[q] = extrapolated(coarse.samples[i][q], fine.samples[i][q]);
    }
    result.samples.push_back(sample);
  }
  return result;
}

}  // namespace vellmor::test
