#pragma once

// The natural cubic spline through points (x_i, y_i), x ascending: piecewise cubic, twice
// continuously differentiable, its second derivative 0 at both ends. Smooth enough that an
// adaptive integration whose right-hand side reads it keeps its order between the nodes.

#include <vector>

namespace vellmor {

class CubicSpline {
 public:
  CubicSpline() = default;
  // x strictly ascending, as many y; one point is a constant, two a straight line.
  CubicSpline(std::vector<double> x, std::vector<double> y);

  // The spline at x; beyond the ends, the end values.
  double operator()(double x) const;

  const std::vector<double>& X() const { return x_; }
  const std::vector<double>& Y() const { return y_; }

 private:
  std::vector<double> x_;
  std::vector<double> y_;
  std::vector<double> second_;  // y'' at the nodes
  // 1 / spacing of nodes evenly spaced, which finds a position's interval at once; else 0.
  double even_ = 0.0;
};

}  // namespace vellmor
