#include "vellmor/stability/pencil_spectrum.h"

#include <gsl/gsl_blas.h>
#include <gsl/gsl_complex_math.h>
#include <gsl/gsl_eigen.h>
#include <gsl/gsl_errno.h>
#include <gsl/gsl_linalg.h>

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

// An orthonormal basis (n × (n - rows)) of the null space of the given rows of k, which must
// be independent: the last columns of Q in the QR decomposition of their transpose.
GslMatrix NullSpace(const TMatrix& k, const std::vector<std::size_t>& rows) {
  const std::size_t n = k.Cols();
  const std::size_t r = rows.size();
  if (r == 0) {
    GslMatrix z = NewMatrix(n, n);
    gsl_matrix_set_identity(z.get());
    return z;
  }
  GslMatrix at = NewMatrix(n, r);
  for (std::size_t c = 0; c < r; ++c) {
    for (std::size_t j = 0; j < n; ++j) gsl_matrix_set(at.get(), j, c, k(rows[c], j));
  }
  GslVector tau = NewVector(std::min(n, r));
  gsl_linalg_QR_decomp(at.get(), tau.get());
  GslMatrix q = NewMatrix(n, n);
  GslMatrix upper = NewMatrix(n, r);
  gsl_linalg_QR_unpack(at.get(), tau.get(), q.get(), upper.get());
  GslMatrix z = NewMatrix(n, n - r);
  gsl_matrix_const_view tail = gsl_matrix_const_submatrix(q.get(), 0, r, n, n - r);
  gsl_matrix_memcpy(z.get(), &tail.matrix);
  return z;
}

// rows of a times z.
GslMatrix RowsTimes(const TMatrix& a, const std::vector<std::size_t>& rows, const gsl_matrix& z) {
  GslMatrix product = NewMatrix(rows.size(), z.size2);
  for (std::size_t i = 0; i < rows.size(); ++i) {
    gsl_vector_const_view row =
        gsl_vector_const_view_array(&a.Data()[rows[i] * a.Cols()], a.Cols());
    gsl_vector_view out = gsl_matrix_row(product.get(), i);
    gsl_blas_dgemv(CblasTrans, 1.0, &z, &row.vector, 0.0, &out.vector);
  }
  return product;
}

}  // namespace

std::vector<std::complex<double>> PencilEigenvalues(const TMatrix& k, const TMatrix& m) {
  fit::TurnOffGslAborts();
  const std::size_t n = k.Rows();
  std::vector<bool> constraint(n);
  for (std::size_t i = 0; i < n; ++i) constraint[i] = ZeroRow(m, i, 0.0);
  GslMatrix z, mz;
  std::vector<std::size_t> dynamic;
  for (int round = 0; round < 4; ++round) {
    std::vector<std::size_t> held;
    dynamic.clear();
    for (std::size_t i = 0; i < n; ++i) (constraint[i] ? held : dynamic).push_back(i);
    if (dynamic.empty()) return {};
    z = NullSpace(k, held);
    mz = RowsTimes(m, dynamic, *z);
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
  GslMatrix kz = RowsTimes(k, dynamic, *z);
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
  for (std::size_t j = 0; j < r; ++j) {
    gsl_vector_view column = gsl_matrix_column(kz.get(), j);
    gsl_linalg_LU_svx(mz.get(), permutation, &column.vector);
  }
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
