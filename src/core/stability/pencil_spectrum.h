#pragma once

// The eigenvalues λ of a pencil M u_t = K u, u ∝ e^{λt}: K u = λ M u, where M has rows of zeros
// (the boundary conditions, and the equations without a time derivative) and so infinitely
// many infinite eigenvalues. Those rows, K_h u = 0, give as many unknowns in terms of the
// others (a pivoted QR decomposition: u = Z u_F); on u_F the finite eigenvalues are those of
// (M_d Z)^-1 (K_d Z), M_d and K_d the other rows. A row of M_d that vanishes on Z (a time
// derivative at a point the boundary holds) joins the constraints. The finite eigenvalues
// come by the Francis QR algorithm (GSL).

#include <complex>
#include <vector>

#include "vellmor/stability/dense_matrix.h"

namespace vellmor {

// Every finite eigenvalue of K u = λ M u, in no particular order. Throws CalculationError
// (kNoConvergence) where the QR iteration does not converge.
std::vector<std::complex<double>> PencilEigenvalues(const TMatrix& k, const TMatrix& m);

// The solution U of (K - s M) U = b for complex s (a driven pencil), by LU with partial
// pivoting (GSL); throws CalculationError (kDivisionByZero) where the matrix is singular.
std::vector<std::complex<double>> SolveShifted(const TMatrix& k, const TMatrix& m,
                                               std::complex<double> s,
                                               const std::vector<double>& b);

}  // namespace vellmor
