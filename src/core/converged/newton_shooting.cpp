// Newton's method on r(u) = 0 with a Jacobian J ≈ ∂r/∂u:
//
//   J s = -r(u),  u ← u + t s,  t = 1, 1/2, 1/4, … until |r| falls by at least 1e-4 t,
//   J ← J + (Δr - J Δu) Δuᵀ / (Δuᵀ Δu)                  (Broyden's update)
//
// with J first taken by forward differences, J_ij = (r_i(u + h_j e_j) - r_i(u)) / h_j, unless
// given. With one unknown, J is the slope at the newest point of the parabola through the last
// three,
//
//   J = r[u2, u1] + r[u2, u1, u0] (u2 - u1)      (divided differences, u2 the newest),
//
// whose error falls with the product of the three points' errors (order 1.84, against the
// secant's 1.62); and inside a bracket the step is Newton's (or the bracket's midpoint)
// without halving.

#include "vellmor/converged/newton_shooting.h"

#include <algorithm>
#include <cassert>
#include <cfloat>
#include <cmath>
#include <cstddef>

namespace vellmor {
namespace {

// Step halvings before the Jacobian is taken afresh.
constexpr int kMaxHalvings = 10;

// Solves a x = b (a n × n, row by row) by Gaussian elimination with partial pivoting, x into
// b; false when a is singular or not finite.
bool SolveLinear(std::vector<double> a, std::vector<double>& b) {
  const std::size_t n = b.size();
  for (std::size_t k = 0; k < n; ++k) {
    std::size_t pivot = k;
    for (std::size_t i = k + 1; i < n; ++i) {
      if (std::fabs(a[i * n + k]) > std::fabs(a[pivot * n + k])) pivot = i;
    }
    if (!(std::fabs(a[pivot * n + k]) > 0.0) || !std::isfinite(a[pivot * n + k])) return false;
    if (pivot != k) {
      for (std::size_t j = 0; j < n; ++j) std::swap(a[k * n + j], a[pivot * n + j]);
      std::swap(b[k], b[pivot]);
    }
    for (std::size_t i = k + 1; i < n; ++i) {
      const double factor = a[i * n + k] / a[k * n + k];
      for (std::size_t j = k; j < n; ++j) a[i * n + j] -= factor * a[k * n + j];
      b[i] -= factor * b[k];
    }
  }
  for (std::size_t k = n; k-- > 0;) {
    for (std::size_t j = k + 1; j < n; ++j) b[k] -= a[k * n + j] * b[j];
    b[k] /= a[k * n + k];
  }
  return std::all_of(b.begin(), b.end(), [](double x) { return std::isfinite(x); });
}

double Norm(const std::vector<double>& r) {
  double sum = 0.0;
  for (const double ri : r) sum += ri * ri;
  return std::sqrt(sum);
}

// A root of one unknown between a point of negative and one of positive residual.
class Bracket {
 public:
  void Add(double u, double r) {
    if (r < 0.0) {
      negative_ = {u, r};
      has_negative_ = true;
    } else if (r > 0.0) {
      positive_ = {u, r};
      has_positive_ = true;
    }
  }
  bool Known() const { return has_negative_ && has_positive_; }
  bool Inside(double u) const {
    return u > std::min(negative_.u, positive_.u) && u < std::max(negative_.u, positive_.u);
  }
  double Middle() const { return 0.5 * (negative_.u + positive_.u); }
  // Shrunk to adjacent doubles, or nearly.
  bool Closed() const {
    return std::fabs(positive_.u - negative_.u) <=
           4.0 * DBL_EPSILON * std::max(std::fabs(positive_.u), std::fabs(negative_.u));
  }
  TShootingOptions::TBracket Ends() const {
    return {negative_.u, negative_.r, positive_.u, positive_.r};
  }

 private:
  struct TPoint {
    double u = 0.0;
    double r = 0.0;
  };
  TPoint negative_;
  TPoint positive_;
  bool has_negative_ = false;
  bool has_positive_ = false;
};

// The last points of one unknown, newest last, and the slope they give at the newest.
class Slope {
 public:
  void Add(double u, double r) {
    if (count_ == 3) {
      points_[0] = points_[1];
      points_[1] = points_[2];
      --count_;
    }
    points_[count_++] = {u, r};
  }
  // 0 with fewer than two points.
  double AtNewest() const {
    return count_ < 2 ? 0.0 : SlopeAtNewest(std::span(points_, static_cast<std::size_t>(count_)));
  }

 private:
  TShootingStart::TPoint points_[3];
  int count_ = 0;
};

class Shooter {
 public:
  Shooter(const TResidualFunction& residuals, const TShootingOptions& options)
      : residuals_(residuals), options_(options) {}

  TShootingResult Run(TShootingStart start) {
    const std::size_t n = start.Unknowns.size();
    u_ = std::move(start.Unknowns);
    r_ = std::move(start.Residuals);
    if (r_.size() != n) {
      r_.assign(n, 0.0);
      if (!Evaluate(u_, r_)) return Finish(false);
    }
    if (Met(r_)) return Finish(true);
    if (options_.Bracket) {
      assert(n == 1);
      bracket_.Add(options_.Bracket->Low, options_.Bracket->LowResidual);
      bracket_.Add(options_.Bracket->High, options_.Bracket->HighResidual);
    }
    if (n == 1) {
      assert(start.Before.size() <= 2);
      for (const TShootingStart::TPoint& point : start.Before) slope_.Add(point.U, point.R);
      slope_.Add(u_[0], r_[0]);
      bracket_.Add(u_[0], r_[0]);
      if (start.Jacobian.empty() && !start.Before.empty()) start.Jacobian = {slope_.AtNewest()};
    }
    j_ = std::move(start.Jacobian);
    bool fresh = false;  // J taken by differences at u_
    if (j_.size() != n * n) {
      if (!Differences()) return Finish(Met(r_));
      fresh = true;
    }
    std::vector<double> candidate(n);
    std::vector<double> r_new(n);
    for (;;) {
      std::vector<double> step(n);
      for (std::size_t i = 0; i < n; ++i) step[i] = -r_[i];
      if (n == 1 && bracket_.Known()) {
        // Inside the bracket: Newton's step, or the midpoint where it would leave it, is not
        // half the step two steps before, hardly moved, or the slope gives none.
        candidate[0] = u_[0] + step[0] / j_[0];
        const bool slow = stalled_ || !(std::fabs(candidate[0] - u_[0]) <= 0.5 * step_before_last_);
        if (!bracket_.Inside(candidate[0]) || slow) candidate[0] = bracket_.Middle();
        if (bracket_.Closed() || candidate[0] == u_[0]) return Finish(false);
        if (!Evaluate(candidate, r_new)) return Finish(false);
        bracket_.Add(candidate[0], r_new[0]);
      } else if (!SolveLinear(j_, step)) {
        if (fresh || !Differences()) return Finish(Met(r_));
        fresh = true;
        continue;
      } else {
        bool lessened = false;
        double t = BoxFraction(step);
        for (int halving = 0; halving < kMaxHalvings && !lessened; ++halving, t *= 0.5) {
          for (std::size_t i = 0; i < n; ++i) candidate[i] = u_[i] + t * step[i];
          if (candidate == u_) break;
          if (!Evaluate(candidate, r_new)) return Finish(false);
          if (n == 1) bracket_.Add(candidate[0], r_new[0]);
          lessened = Met(r_new) || bracket_.Known() || Norm(r_new) <= (1.0 - 1e-4 * t) * Norm(r_);
        }
        if (!lessened) {
          if (fresh || !Differences()) return Finish(Met(r_));
          fresh = true;
          continue;
        }
      }
      bool moved = false;
      double step_length = 0.0;
      for (std::size_t i = 0; i < n; ++i) {
        const double du = candidate[i] - u_[i];
        moved = moved || std::fabs(du) > 4.0 * DBL_EPSILON * std::fabs(u_[i]);
        step_length = std::max(step_length, std::fabs(du));
      }
      Update(candidate, r_new);
      u_ = candidate;
      r_ = r_new;
      fresh = false;
      step_before_last_ = last_step_;
      last_step_ = step_length;
      if (Met(r_)) return Finish(true);
      // A bracket still closes by halves; elsewhere the shooting has come to a standstill.
      stalled_ = !moved;
      if (stalled_ && !bracket_.Known()) return Finish(false);
    }
  }

 private:
  bool Evaluate(const std::vector<double>& u, std::vector<double>& r) {
    if (result_.Evaluations >= options_.MaxEvaluations) return false;
    ++result_.Evaluations;
    residuals_(u, r);
    return true;
  }

  bool Met(const std::vector<double>& r) const {
    return std::all_of(r.begin(), r.end(),
                       [this](double ri) { return std::fabs(ri) <= options_.Tolerance; });
  }

  // The largest t ≤ 1 that takes u + t step at most halfway to a wall of the box.
  double BoxFraction(const std::vector<double>& step) const {
    double t = 1.0;
    for (std::size_t i = 0; i < step.size(); ++i) {
      if (!options_.Upper.empty() && u_[i] + step[i] >= options_.Upper[i]) {
        t = std::min(t, 0.5 * (options_.Upper[i] - u_[i]) / step[i]);
      }
      if (!options_.Lower.empty() && u_[i] + step[i] <= options_.Lower[i]) {
        t = std::min(t, 0.5 * (options_.Lower[i] - u_[i]) / step[i]);
      }
    }
    return t;
  }

  // J by forward differences at u_, each step away from a wall it would reach. False when the
  // evaluations ran out or a difference met the residuals (then u_ and r_ are that point).
  bool Differences() {
    const std::size_t n = u_.size();
    j_.assign(n * n, 0.0);
    std::vector<double> shifted(n);
    std::vector<double> r_shifted(n);
    for (std::size_t j = 0; j < n; ++j) {
      double h = options_.DifferenceStep * std::max(std::fabs(u_[j]), 1.0);
      if (!options_.Upper.empty() && u_[j] + h >= options_.Upper[j]) h = -h;
      shifted = u_;
      shifted[j] += h;
      h = shifted[j] - u_[j];  // the step as represented
      if (!Evaluate(shifted, r_shifted)) return false;
      if (n == 1) bracket_.Add(shifted[0], r_shifted[0]);
      if (Met(r_shifted)) {
        u_ = shifted;
        r_ = r_shifted;
        return false;
      }
      for (std::size_t i = 0; i < n; ++i) j_[i * n + j] = (r_shifted[i] - r_[i]) / h;
    }
    return true;
  }

  // Broyden's update for the step from u_ to u with residuals r there; with one unknown the
  // parabola's slope.
  void Update(const std::vector<double>& u, const std::vector<double>& r) {
    const std::size_t n = u.size();
    if (n == 1) {
      slope_.Add(u[0], r[0]);
      j_[0] = slope_.AtNewest();
      return;
    }
    std::vector<double> du(n);
    double du_squared = 0.0;
    for (std::size_t i = 0; i < n; ++i) {
      du[i] = u[i] - u_[i];
      du_squared += du[i] * du[i];
    }
    if (!(du_squared > 0.0)) return;
    for (std::size_t i = 0; i < n; ++i) {
      double miss = r[i] - r_[i];
      for (std::size_t j = 0; j < n; ++j) miss -= j_[i * n + j] * du[j];
      for (std::size_t j = 0; j < n; ++j) j_[i * n + j] += miss * du[j] / du_squared;
    }
  }

  TShootingResult Finish(bool met) {
    result_.Met = met;
    result_.Unknowns = u_;
    result_.Residuals = r_;
    if (bracket_.Known()) result_.Bracket = bracket_.Ends();
    return result_;
  }

  const TResidualFunction& residuals_;
  const TShootingOptions& options_;
  std::vector<double> u_;
  std::vector<double> r_;
  std::vector<double> j_;
  Bracket bracket_;
  Slope slope_;
  bool stalled_ = false;  // the last step hardly moved the unknowns
  double last_step_ = HUGE_VAL;
  double step_before_last_ = HUGE_VAL;
  TShootingResult result_;
};

}  // namespace

double SlopeAtNewest(std::span<const TShootingStart::TPoint> points) {
  assert(points.size() == 2 || points.size() == 3);
  const TShootingStart::TPoint& p2 = points[points.size() - 1];
  const TShootingStart::TPoint& p1 = points[points.size() - 2];
  const double secant = (p2.R - p1.R) / (p2.U - p1.U);
  if (points.size() < 3) return secant;
  const TShootingStart::TPoint& p0 = points[0];
  const double curvature = (secant - (p1.R - p0.R) / (p1.U - p0.U)) / (p2.U - p0.U);
  const double slope = secant + curvature * (p2.U - p1.U);
  return std::isfinite(slope) && slope * secant > 0.0 ? slope : secant;
}

TShootingResult Shoot(const TResidualFunction& residuals, TShootingStart start,
                      const TShootingOptions& options) {
  return Shooter(residuals, options).Run(std::move(start));
}

}  // namespace vellmor
