#pragma once

// A reference bundle written from the model's formulas alone, for tests that must not trust
// the engine: rows 1 … i marched together as one system by fixed-step classical Runge–Kutta
// in double, the air each row meets computed at every stage from the rows before it at the
// same position (no table, no spline), each row's spinneret tension shot by Illinois' regula
// falsi with the tensions of the rows before it kept, Richardson's extrapolation of steps of
// 0.02 and 0.01 cm. Each filament's solidification crossing cuts the step by bisection. It
// shares nothing with the engine but the condition; the laws are those of the built-in card
// (as in tests/support/reference_spinline.h).

#include <array>
#include <cmath>
#include <vector>

#include "vellmor/inputs/spin_condition.h"

namespace vellmor::test {

struct TReferenceBundleConstants {
  int rows = 3;
  double column_pitch = 0.6;  // w (cm)
  double drag = 10.0;         // C_D
  double air_density = 1.16e-3;
  double air_heat = 0.240;
};

struct TReferenceRow {
  double spinneret_tension = 0.0;
  double take_up_tension = 0.0;
  double final_temperature = 0.0;
  double freeze_point = -1.0;
};

struct TReferenceBundle {
  std::vector<TReferenceRow> rows;
  // The air met by each row and leaving the last (rows + 1 entries) at the probe position.
  std::vector<double> air_temperature;
  std::vector<double> air_velocity;
};

class ReferenceBundleLine {
 public:
  ReferenceBundleLine(const TSpinCondition& c, const TReferenceBundleConstants& b, double probe)
      : c_(c), b_(b), probe_(probe) {
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

  // The bundle at step h: row after row, each shot with the rows before it fixed.
  TReferenceBundle Solve(double h) const {
    std::vector<double> tensions;
    TReferenceBundle bundle;
    for (int row = 0; row < b_.rows; ++row) {
      tensions.push_back(0.0);
      const auto residual = [&](double f0) {
        tensions.back() = f0;
        return std::log(March(tensions, h, nullptr) / take_up_);
      };
      double a = 25.0, ra = residual(a);
      double b = a, rb = ra;
      while (rb < 0.0) {
        a = b, ra = rb;
        b += 2.5;
        rb = residual(b);
      }
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
      tensions.back() = f0;
    }
    March(tensions, h, &bundle);
    return bundle;
  }

 private:
  using TState = std::vector<std::array<double, 3>>;  // (V, F, T) of each row

  static constexpr double kPi = 3.1415926;
  static constexpr double kQuarterPi = 0.78539815;

  // The zone that holds a step: zone_x inside it.
  int Zone(double zone_x) const {
    return zone_x < c_.Zones[1].EndPosition ? 1 : zone_x < c_.Zones[2].EndPosition ? 2 : 3;
  }

  double Area(const std::array<double, 3>& y) const { return w_ / ((1.36 - 0.0005 * y[2]) * y[0]); }
  double Heat(const std::array<double, 3>& y, double air_velocity) const {
    const double cross = 8.0 * air_velocity / y[0];
    return 1.37e-4 * std::pow(y[0] / Area(y), 0.259) * std::pow(1.0 + cross * cross, 0.167);
  }

  // The air each row meets at x, row after row from the zone's own.
  void Air(const TState& y, double x, int zone, std::vector<double>& ta,
           std::vector<double>& ua) const {
    const auto& equation = zone == 1 ? c_.Zones[1] : c_.Zones[2];
    ta.assign(y.size() + 1, equation.A1 / (x + equation.A2) + equation.A3);
    ua.assign(y.size() + 1, c_.Zones[zone].AirVelocity);
    if (c_.Zones[zone].AirVelocity == 0.0) return;
    for (std::size_t i = 0; i < y.size(); ++i) {
      const double d = std::sqrt(Area(y[i]) / kQuarterPi);
      const double q = kPi * d * Heat(y[i], ua[i]) * (y[i][2] - ta[i]);
      ta[i + 1] = ta[i] + q / (b_.air_density * b_.air_heat * ua[i] * b_.column_pitch);
      ua[i + 1] = ua[i] * std::exp(-0.5 * b_.drag * d / b_.column_pitch);
    }
  }

  TState Rates(const TState& y, double x, int zone, const std::vector<bool>& solid) const {
    std::vector<double> ta, ua;
    Air(y, x, zone, ta, ua);
    TState rates(y.size());
    for (std::size_t i = 0; i < y.size(); ++i) {
      const double v = y[i][0], f = y[i][1], t = y[i][2];
      const double rho = 1.36 - 0.0005 * t;
      const double cp = 0.3 + 0.0006 * t;
      double eta = 0.273 * iv_power_ * std::exp(6802.0 / (t + 273.0));
      if (solid[i]) eta *= 100.0;
      const double d = std::sqrt(Area(y[i]) / kQuarterPi);
      const double dv = rho * v * f / (eta * w_);
      const double df =
          2.84e-4 * std::pow(w_ / rho, 0.195) * std::pow(v, 1.195) + (dv - 980.0 / v) * w_;
      rates[i] = {dv, df, kPi * d * Heat(y[i], ua[i]) * (ta[i] - t) / (w_ * cp)};
    }
    return rates;
  }

  TState Step(const TState& y, double x, double h, int zone, const std::vector<bool>& solid) const {
    const auto add = [](const TState& a, const TState& k, double s) {
      TState out = a;
      for (std::size_t i = 0; i < a.size(); ++i) {
        for (int j = 0; j < 3; ++j) out[i][j] += s * k[i][j];
      }
      return out;
    };
    const TState k1 = Rates(y, x, zone, solid);
    const TState k2 = Rates(add(y, k1, h / 2), x + h / 2, zone, solid);
    const TState k3 = Rates(add(y, k2, h / 2), x + h / 2, zone, solid);
    const TState k4 = Rates(add(y, k3, h), x + h, zone, solid);
    TState next = y;
    for (std::size_t i = 0; i < y.size(); ++i) {
      for (int j = 0; j < 3; ++j) {
        next[i][j] += h / 6 * (k1[i][j] + 2 * k2[i][j] + 2 * k3[i][j] + k4[i][j]);
      }
    }
    return next;
  }

  // Whether a filament still molten at the step's start is below the glass point at its end.
  static bool Crosses(const TState& next, const std::vector<bool>& solid) {
    for (std::size_t i = 0; i < next.size(); ++i) {
      if (!solid[i] && next[i][2] < 70.0) return true;
    }
    return false;
  }

  // The last row's V at the take-up end (1e6 once it runs away); with a bundle, every row's
  // numbers and the air at the probe.
  double March(const std::vector<double>& tensions, double h, TReferenceBundle* bundle) const {
    TState y(tensions.size());
    for (std::size_t i = 0; i < y.size(); ++i) y[i] = {v0_, tensions[i], c_.MeltTemperature};
    std::vector<bool> solid(y.size(), false);
    std::vector<double> freeze(y.size(), -1.0);
    const long steps = std::lround(c_.Zones[3].EndPosition / h);
    for (long n = 0; n < steps; ++n) {
      double x = n * h;
      const int zone = Zone(x + h / 2);
      double left = h;
      // The step, cut at each crossing of the glass point it holds.
      while (true) {
        const TState next = Step(y, x, left, zone, solid);
        if (!Crosses(next, solid)) {
          y = next;
          break;
        }
        double lo = 0.0, hi = left;
        for (int b = 0; b < 60; ++b) {
          const double mid = 0.5 * (lo + hi);
          (Crosses(Step(y, x, mid, zone, solid), solid) ? hi : lo) = mid;
        }
        y = Step(y, x, hi, zone, solid);
        for (std::size_t i = 0; i < y.size(); ++i) {
          if (!solid[i] && y[i][2] < 70.0) {
            solid[i] = true;
            freeze[i] = x + hi;
          }
        }
        x += hi;
        left -= hi;
      }
      if (bundle != nullptr && std::fabs((n + 1) * h - probe_) < h / 4) {
        Air(y, probe_, Zone(probe_ - h / 2), bundle->air_temperature, bundle->air_velocity);
      }
      if (!(y.back()[0] < 100.0 * take_up_)) return 1e6;
    }
    if (bundle != nullptr) {
      for (std::size_t i = 0; i < y.size(); ++i) {
        bundle->rows.push_back({tensions[i], y[i][1], y[i][2], freeze[i]});
      }
    }
    return y.back()[0];
  }

  TSpinCondition c_;
  TReferenceBundleConstants b_;
  double probe_;
  double w_ = 0.0, take_up_ = 0.0, iv_power_ = 0.0, v0_ = 0.0;
};

// Steps of 0.02 and 0.01 cm, extrapolated as the fourth-order method's error allows; probe a
// multiple of 0.02 cm inside a zone of cross flow (not at its start, where the step before
// belongs to the zone before).
inline TReferenceBundle ReferenceBundle(const TSpinCondition& condition,
                                        const TReferenceBundleConstants& constants, double probe) {
  const ReferenceBundleLine line(condition, constants, probe);
  const TReferenceBundle coarse = line.Solve(0.02);
  const TReferenceBundle fine = line.Solve(0.01);
  const auto extrapolated = [](double c, double f) { return (16.0 * f - c) / 15.0; };
  TReferenceBundle result;
  for (std::size_t i = 0; i < fine.rows.size(); ++i) {
    const TReferenceRow& a = coarse.rows[i];
    const TReferenceRow& b = fine.rows[i];
    result.rows.push_back({extrapolated(a.spinneret_tension, b.spinneret_tension),
                           extrapolated(a.take_up_tension, b.take_up_tension),
                           extrapolated(a.final_temperature, b.final_temperature),
                           extrapolated(a.freeze_point, b.freeze_point)});
  }
  for (std::size_t i = 0; i < fine.air_temperature.size(); ++i) {
    result.air_temperature.push_back(
        extrapolated(coarse.air_temperature[i], fine.air_temperature[i]));
    result.air_velocity.push_back(extrapolated(coarse.air_velocity[i], fine.air_velocity[i]));
  }
  return result;
}

}  // namespace vellmor::test
