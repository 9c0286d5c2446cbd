#include "vellmor/stability/pencil_spectrum.h"

#include <gsl/gsl_blas.h>
#include <gsl/gsl_complex_math.h>
#include <gsl/gsl_eigen.h>
#include <gsl/gsl_errno.h>
#include <gsl/gsl_linalg.h>
#include <gsl/gsl_permute_vector.h>

#include <algorithm>
#include <cmath>
#include <memory>

#include "vellmor/base/run_error.h"
#include "vellmor/fit/gsl_owners.h"

namespace vellmor {
namespace {

using fit::GslMatrix;
using fit::GslVector;
using fit::NewMatrix;
using fit::NewVector;

bool ZeroRow(const TMatrix& a, std::size_t i, double tolerance) {
  for (std::size_t j = 0; j < a.Cols(); ++j) {
    if (std::fabs(a(i, j)) > tolerance) return false;
  }
  return true;
}

double RowNorm(const TMatrix& a, std::size_t i) {
  double largest = 0.0;
  for (std::size_t j = 0; j < a.Cols(); ++j) largest = std::max(largest, std::fabs(a(i, j)));
  return largest;
}

// The constraint rows K_h u = 0 solved for as many of the unknowns as there are rows: with
// the pivoted QR decomposition K_h P = Q [R11 R12], u_P = X u_F, X = -R11^-1 R12, P the
// pivoted columns and F the others. The unknowns of the reduced problem are u_F.
struct TConstraints {
  std::vector<std::size_t> Pivoted, Free;
  GslMatrix X;  // |P| × |F|
};

TConstraints SolveConstraints(const TMatrix& k, const std::vector<std::size_t>& rows) {
  const std::size_t n = k.Cols();
  const std::size_t r = rows.size();
  TConstraints c;
  if (r == 0) {
    for (std::size_t j = 0; j < n; ++j) c.Free.push_back(j);
    return c;
  }
  GslMatrix a = NewMatrix(r, n);
  for (std::size_t i = 0; i < r; ++i) {
    for (std::size_t j = 0; j < n; ++j) gsl_matrix_set(a.get(), i, j, k(rows[i], j));
  }
  GslVector tau = NewVector(std::min(n, r));
  GslVector norm = NewVector(n);
  gsl_permutation* permutation = gsl_permutation_alloc(n);
  const std::unique_ptr<gsl_permutation, void (*)(gsl_permutation*)> owner(permutation,
                                                                           gsl_permutation_free);
  int sign = 0;
  gsl_linalg_QRPT_decomp(a.get(), tau.get(), permutation, &sign, norm.get());
  const double largest = std::fabs(gsl_matrix_get(a.get(), 0, 0));
  if (!(std::fabs(gsl_matrix_get(a.get(), r - 1, r - 1)) > 1e-13 * largest)) {
    throw CalculationError(CalculationFault::kNoConvergence,
                           "The linearised spinline's boundary conditions are not independent");
  }
  for (std::size_t j = 0; j < n; ++j) {
    (j < r ? c.Pivoted : c.Free).push_back(gsl_permutation_get(permutation, j));
  }
  c.X = NewMatrix(r, n - r);
  gsl_matrix_const_view r12 = gsl_matrix_const_submatrix(a.get(), 0, r, r, n - r);
  gsl_matrix_memcpy(c.X.get(), &r12.matrix);
  gsl_matrix_const_view r11 = gsl_matrix_const_submatrix(a.get(), 0, 0, r, r);
  gsl_blas_dtrsm(CblasLeft, CblasUpper, CblasNoTrans, CblasNonUnit, -1.0, &r11.matrix, c.X.get());
  return c;
}

// The given rows of a on the reduced unknowns: a[rows, F] + a[rows, P] X.
GslMatrix Reduced(const TMatrix& a, const std::vector<std::size_t>& rows, const TConstraints& c) {
  GslMatrix out = NewMatrix(rows.size(), c.Free.size());
  for (std::size_t i = 0; i < rows.size(); ++i) {
    for (std::size_t j = 0; j < c.Free.size(); ++j) {
      gsl_matrix_set(out.get(), i, j, a(rows[i], c.Free[j]));
    }
  }
  if (c.Pivoted.empty()) return out;
  // Most pivoted columns of M are zero: only those that are not enter the product.
  std::vector<std::size_t> used;
  for (std::size_t q = 0; q < c.Pivoted.size(); ++q) {
    for (const std::size_t row : rows) {
      if (a(row, c.Pivoted[q]) != 0.0) {
        used.push_back(q);
        break;
      }
    }
  }
  if (used.empty()) return out;
  GslMatrix left = NewMatrix(rows.size(), used.size());
  GslMatrix right = NewMatrix(used.size(), c.Free.size());
  for (std::size_t u = 0; u < used.size(); ++u) {
    for (std::size_t i = 0; i < rows.size(); ++i) {
      gsl_matrix_set(left.get(), i, u, a(rows[i], c.Pivoted[used[u]]));
    }
    gsl_vector_const_view from = gsl_matrix_const_row(c.X.get(), used[u]);
    gsl_vector_view to = gsl_matrix_row(right.get(), u);
    gsl_vector_memcpy(&to.vector, &from.vector);
  }
  gsl_blas_dgemm(CblasNoTrans, CblasNoTrans, 1.0, left.get(), right.get(), 1.0, out.get());
  return out;
}

}  // namespace

std::vector<std::complex<double>> PencilEigenvalues(const TMatrix& k, const TMatrix& m) {
  fit::TurnOffGslAborts();
  const std::size_t n = k.Rows();
  std::vector<bool> constraint(n);
  for (std::size_t i = 0; i < n; ++i) constraint[i] = ZeroRow(m, i, 0.0);
  TConstraints held_fixed;
  GslMatrix mz;
  std::vector<std::size_t> dynamic;
  for (int round = 0; round < 4; ++round) {
    std::vector<std::size_t> held;
    dynamic.clear();
    for (std::size_t i = 0; i < n; ++i) (constraint[i] ? held : dynamic).push_back(i);
    if (dynamic.empty()) return {};
    held_fixed = SolveConstraints(k, held);
    mz = Reduced(m, dynamic, held_fixed);
    bool moved = false;
    for (std::size_t i = 0; i < dynamic.size(); ++i) {
      double largest = 0.0;
      for (std::size_t j = 0; j < mz->size2; ++j) {
        largest = std::max(largest, std::fabs(gsl_matrix_get(mz.get(), i, j)));
      }
      if (largest <= 1e-12 * std::max(RowNorm(m, dynamic[i]), 1e-300)) {
        constraint[dynamic[i]] = true;
        moved = true;
      }
    }
    if (!moved) break;
  }
  const std::size_t r = dynamic.size();
  if (mz->size2 != r) {
    throw CalculationError(CalculationFault::kNoConvergence,
                           "The linearised spinline's boundary conditions are not independent");
  }
  GslMatrix kz = Reduced(k, dynamic, held_fixed);
  // S = (M_d Z)^-1 (K_d Z).
  gsl_permutation* permutation = gsl_permutation_alloc(r);
  const std::unique_ptr<gsl_permutation, void (*)(gsl_permutation*)> owner(permutation,
                                                                           gsl_permutation_free);
  int sign = 0;
  gsl_linalg_LU_decomp(mz.get(), permutation, &sign);
  double smallest = INFINITY, largest = 0.0;
  for (std::size_t i = 0; i < r; ++i) {
    const double pivot = std::fabs(gsl_matrix_get(mz.get(), i, i));
    smallest = std::min(smallest, pivot);
    largest = std::max(largest, pivot);
  }
  if (!(smallest > 1e-14 * largest)) {
    throw CalculationError(CalculationFault::kDivisionByZero,
                           "The linearised spinline's time derivatives are not independent");
  }
  // kz ← U^-1 L^-1 P kz, all columns at once.
  for (std::size_t j = 0; j < r; ++j) {
    gsl_vector_view column = gsl_matrix_column(kz.get(), j);
    gsl_permute_vector(permutation, &column.vector);
  }
  gsl_blas_dtrsm(CblasLeft, CblasLower, CblasNoTrans, CblasUnit, 1.0, mz.get(), kz.get());
  gsl_blas_dtrsm(CblasLeft, CblasUpper, CblasNoTrans, CblasNonUnit, 1.0, mz.get(), kz.get());
  gsl_eigen_nonsymm_workspace* workspace = gsl_eigen_nonsymm_alloc(r);
  const std::unique_ptr<gsl_eigen_nonsymm_workspace, void (*)(gsl_eigen_nonsymm_workspace*)>
      workspace_owner(workspace, gsl_eigen_nonsymm_free);
  gsl_vector_complex* values = gsl_vector_complex_alloc(r);
  const std::unique_ptr<gsl_vector_complex, void (*)(gsl_vector_complex*)> values_owner(
      values, gsl_vector_complex_free);
  gsl_eigen_nonsymm_params(0, 1, workspace);  // balanced: the rows' units differ
  if (gsl_eigen_nonsymm(kz.get(), values, workspace) != GSL_SUCCESS) {
    throw CalculationError(CalculationFault::kNoConvergence,
                           "The eigenvalues of the linearised spinline did not converge");
  }
  std::vector<std::complex<double>> eigenvalues;
  eigenvalues.reserve(r);
  for (std::size_t i = 0; i < r; ++i) {
    const gsl_complex value = gsl_vector_complex_get(values, i);
    const std::complex<double> lambda(GSL_REAL(value), GSL_IMAG(value));
    if (std::isfinite(lambda.real()) && std::isfinite(lambda.imag())) eigenvalues.push_back(lambda);
  }
  return eigenvalues;
}

std::vector<std::complex<double>> SolveShifted(const TMatrix& k, const TMatrix& m,
                                               std::complex<double> s,
                                               const std::vector<double>& b) {
  fit::TurnOffGslAborts();
  const std::size_t n = k.Rows();
  gsl_matrix_complex* a = gsl_matrix_complex_alloc(n, n);
  const std::unique_ptr<gsl_matrix_complex, void (*)(gsl_matrix_complex*)> a_owner(
      a, gsl_matrix_complex_free);
  for (std::size_t i = 0; i < n; ++i) {
    for (std::size_t j = 0; j < n; ++j) {
      const std::complex<double> value = k(i, j) - s * m(i, j);
      gsl_matrix_complex_set(a, i, j, gsl_complex_rect(value.real(), value.imag()));
    }
  }
  gsl_permutation* permutation = gsl_permutation_alloc(n);
  const std::unique_ptr<gsl_permutation, void (*)(gsl_permutation*)> owner(permutation,
                                                                           gsl_permutation_free);
  int sign = 0;
  gsl_vector_complex* x = gsl_vector_complex_alloc(n);
  const std::unique_ptr<gsl_vector_complex, void (*)(gsl_vector_complex*)> x_owner(
      x, gsl_vector_complex_free);
  for (std::size_t i = 0; i < n; ++i) gsl_vector_complex_set(x, i, gsl_complex_rect(b[i], 0.0));
  if (gsl_linalg_complex_LU_decomp(a, permutation, &sign) != GSL_SUCCESS ||
      gsl_linalg_complex_LU_svx(a, permutation, x) != GSL_SUCCESS) {
    throw CalculationError(CalculationFault::kDivisionByZero,
                           "The driven linearised spinline has no solution at this frequency");
  }
  std::vector<std::complex<double>> u(n);
  for (std::size_t i = 0; i < n; ++i) {
    const gsl_complex value = gsl_vector_complex_get(x, i);
    u[i] = {GSL_REAL(value), GSL_IMAG(value)};
    if (!std::isfinite(u[i].real()) || !std::isfinite(u[i].imag())) {
      throw CalculationError(CalculationFault::kDivisionByZero,
                             "The driven linearised spinline has no solution at this frequency");
    }
  }
  return u;
}

}  // namespace vellmor
