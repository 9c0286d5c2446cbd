// The second derivatives M_i of the natural spline solve the tridiagonal system
//
//   h_{i-1} M_{i-1} + 2 (h_{i-1} + h_i) M_i + h_i M_{i+1}
//       = 6 ((y_{i+1} - y_i) / h_i - (y_i - y_{i-1}) / h_{i-1}),   M_0 = M_n = 0,
//
// h_i = x_{i+1} - x_i, solved by Thomas' elimination (the matrix is diagonally dominant). On
// [x_i, x_{i+1}], with a = (x_{i+1} - x) / h_i and b = 1 - a,
//
//   S(x) = a y_i + b y_{i+1} + ((a³ - a) M_i + (b³ - b) M_{i+1}) h_i² / 6.

#include "vellmor/converged/cubic_spline.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <utility>

namespace vellmor {

CubicSpline::CubicSpline(std::vector<double> x, std::vector<double> y)
    : x_(std::move(x)), y_(std::move(y)), second_(x_.size(), 0.0) {
  assert(x_.size() == y_.size() && !x_.empty());
  const std::size_t n = x_.size();
  if (n < 2) return;
  const double spacing = (x_.back() - x_.front()) / static_cast<double>(n - 1);
  bool even = spacing > 0.0;
  for (std::size_t i = 0; even && i < n; ++i) {
    even = std::fabs(x_[i] - (x_.front() + spacing * static_cast<double>(i))) <= 1e-9 * spacing;
  }
  if (even) even_ = 1.0 / spacing;
  if (n < 3) return;
  std::vector<double> diagonal(n, 1.0);
  std::vector<double> rhs(n, 0.0);
  for (std::size_t i = 1; i + 1 < n; ++i) {
    const double before = x_[i] - x_[i - 1];
    const double after = x_[i + 1] - x_[i];
    assert(before > 0.0 && after > 0.0);
    diagonal[i] = 2.0 * (before + after);
    rhs[i] = 6.0 * ((y_[i + 1] - y_[i]) / after - (y_[i] - y_[i - 1]) / before);
    // Eliminate the sub-diagonal h_{i-1} with the row above (whose super-diagonal is h_{i-1}
    // too, and 0 for the first row, M_0 = 0).
    if (i > 1) {
      const double factor = before / diagonal[i - 1];
      diagonal[i] -= factor * before;
      rhs[i] -= factor * rhs[i - 1];
    }
  }
  for (std::size_t i = n - 2; i >= 1; --i) {
    const double after = x_[i + 1] - x_[i];
    second_[i] = (rhs[i] - (i + 2 < n ? after * second_[i + 1] : 0.0)) / diagonal[i];
  }
}

double CubicSpline::operator()(double x) const {
  if (!(x > x_.front())) return y_.front();
  if (!(x < x_.back())) return y_.back();
  std::size_t i = 0;
  if (even_ > 0.0) {
    // The interval from the spacing, then past the rounding of the nodes' positions.
    i = std::min(static_cast<std::size_t>((x - x_.front()) * even_), x_.size() - 2);
    while (i > 0 && x < x_[i]) --i;
    while (i + 2 < x_.size() && !(x < x_[i + 1])) ++i;
  } else {
    i = static_cast<std::size_t>(std::upper_bound(x_.begin(), x_.end(), x) - x_.begin()) - 1;
  }
  const double h = x_[i + 1] - x_[i];
  const double a = (x_[i + 1] - x) / h;
  const double b = 1.0 - a;
  return a * y_[i] + b * y_[i + 1] +
         ((a * a * a - a) * second_[i] + (b * b * b - b) * second_[i + 1]) * h * h / 6.0;
}

}  // namespace vellmor
