#include "vellmor/fit/information_matrix.h"

#include <gsl/gsl_blas.h>
#include <gsl/gsl_errno.h>
#include <gsl/gsl_linalg.h>

#include <cassert>
#include <cmath>

namespace vellmor::fit {

GslMatrix NormalMatrix(const gsl_matrix& jacobian) {
  GslMatrix normal = NewMatrix(jacobian.size2, jacobian.size2);
  gsl_blas_dsyrk(CblasLower, CblasTrans, 1.0, &jacobian, 0.0, normal.get());
  return normal;
}

GslMatrix InverseOf(const gsl_matrix& symmetric) {
  assert(symmetric.size1 == symmetric.size2);
  GslMatrix inverse = CopyOf(symmetric);
  if (gsl_linalg_cholesky_decomp1(inverse.get()) != GSL_SUCCESS) return nullptr;
  if (gsl_linalg_cholesky_invert(inverse.get()) != GSL_SUCCESS) return nullptr;
  for (std::size_t i = 0; i < inverse->size1; ++i) {
    for (std::size_t j = 0; j < inverse->size2; ++j) {
      if (!std::isfinite(gsl_matrix_get(inverse.get(), i, j))) return nullptr;
    }
  }
  return inverse;
}

double QuadraticForm(const gsl_matrix& symmetric, const gsl_vector& g) {
  GslVector product = NewVector(g.size);
  gsl_blas_dsymv(CblasLower, 1.0, &symmetric, &g, 0.0, product.get());
  double form = 0.0;
  gsl_blas_ddot(&g, product.get(), &form);
  return form;
}

void AddOuterProduct(gsl_matrix& symmetric, const gsl_vector& g) {
  gsl_blas_dsyr(CblasLower, 1.0, &g, &symmetric);
}

TSingularValues SingularValues(const gsl_matrix& jacobian) {
  const std::size_t p = jacobian.size2;
  assert(jacobian.size1 >= p);
  GslMatrix u = CopyOf(jacobian);  // becomes U
  GslMatrix v = NewMatrix(p, p);
  GslVector s = NewVector(p);
  GslVector work = NewVector(p);
  gsl_linalg_SV_decomp(u.get(), v.get(), s.get(), work.get());
  TSingularValues result;
  for (std::size_t j = 0; j < p; ++j) {
    result.Values.push_back(gsl_vector_get(s.get(), j));
    result.Smallest.push_back(gsl_matrix_get(v.get(), j, p - 1));
  }
  return result;
}

}  // namespace vellmor::fit
