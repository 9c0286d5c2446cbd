// The differentiation matrix on s in [-1, 1], s_j = -cos(π j / N) (ascending),
//
//   D_ij = (c_i / c_j) (-1)^(i+j) / (s_i - s_j),  i ≠ j,   c_0 = c_N = 2, else 1,
//   D_ii = -Σ_{j≠i} D_ij                          (exact on constants, less rounding),
//
// scaled by ds/dx = 2 / (b - a).

#include "vellmor/stability/chebyshev_grid.h"

#include <cassert>
#include <cmath>
#include <numbers>

namespace vellmor {

TChebyshevGrid ChebyshevGrid(double a, double b, int n) {
  assert(n >= 1 && a < b);
  const auto size = static_cast<std::size_t>(n) + 1;
  std::vector<double> s(size);
  TChebyshevGrid grid;
  grid.X.resize(size);
  for (std::size_t j = 0; j < size; ++j) {
    // sin form of -cos(π j / N): symmetric about the middle to the last bit.
    s[j] = std::sin(std::numbers::pi * (2.0 * static_cast<double>(j) - n) / (2.0 * n));
    grid.X[j] = a + (b - a) * (1.0 + s[j]) / 2.0;
  }
  grid.X.front() = a;
  grid.X.back() = b;
  grid.D = TMatrix(size, size);
  const double scale = 2.0 / (b - a);
  for (std::size_t i = 0; i < size; ++i) {
    const double ci = (i == 0 || i + 1 == size) ? 2.0 : 1.0;
    double sum = 0.0;
    for (std::size_t j = 0; j < size; ++j) {
      if (i == j) continue;
      const double cj = (j == 0 || j + 1 == size) ? 2.0 : 1.0;
      const double sign = (i + j) % 2 == 0 ? 1.0 : -1.0;
      const double d = ci / cj * sign / (s[i] - s[j]);
      grid.D(i, j) = d * scale;
      sum += d;
    }
    grid.D(i, i) = -sum * scale;
  }
  return grid;
}

}  // namespace vellmor
