#pragma once

// The linear algebra of an estimate, on the Jacobian J of the normalised residuals (a row per
// measurement, a column per parameter): the information JᵀJ, its inverse (the covariance of the
// fitting variables, by Cholesky), and J's singular values, which tell how well the data fix
// each direction of the parameters. A symmetric matrix is held in its lower triangle, as GSL's
// symmetric routines read it. Internal to the fit.

#include <gsl/gsl_matrix.h>
#include <gsl/gsl_vector.h>

#include <vector>

#include "vellmor/fit/gsl_owners.h"

namespace vellmor::fit {

// JᵀJ.
GslMatrix NormalMatrix(const gsl_matrix& jacobian);

// The inverse of a symmetric positive-definite matrix, whole; null where it is not positive
// definite or its inverse not finite (a constant the data do not fix).
GslMatrix InverseOf(const gsl_matrix& symmetric);

// gᵀ M g for a symmetric M.
double QuadraticForm(const gsl_matrix& symmetric, const gsl_vector& g);

// M + g gᵀ, in place, for a symmetric M.
void AddOuterProduct(gsl_matrix& symmetric, const gsl_vector& g);

struct TSingularValues {
  std::vector<double> Values;    // largest first
  std::vector<double> Smallest;  // the right singular vector of the smallest
};

// Of a matrix of at least as many rows as columns.
TSingularValues SingularValues(const gsl_matrix& jacobian);

}  // namespace vellmor::fit
