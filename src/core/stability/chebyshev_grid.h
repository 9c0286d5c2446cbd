#pragma once

// Chebyshev–Gauss–Lobatto collocation on one stretch [a, b] of the line: the nodes, ascending,
//
//   x_j = a + (b - a) (1 - cos(π j / N)) / 2,   j = 0 … N,
//
// and the matrix D whose product with the values at the nodes is the derivative of their
// interpolating polynomial there. Smooth profiles converge faster than any power of 1/N.

#include <vector>

#include "vellmor/stability/dense_matrix.h"

namespace vellmor {

struct TChebyshevGrid {
  std::vector<double> X;  // N + 1 nodes (cm), X.front() = a, X.back() = b
  TMatrix D;              // d/dx at the nodes (1/cm)
};

// The grid of n intervals (n >= 1) on [a, b], a < b.
TChebyshevGrid ChebyshevGrid(double a, double b, int n);

}  // namespace vellmor
