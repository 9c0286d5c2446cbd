#pragma once

// Owners of the GSL objects the fit works on, each freed by its own gsl_*_free, and GSL's error
// handler turned off. Internal to the fit.

#include <gsl/gsl_matrix.h>
#include <gsl/gsl_vector.h>

#include <cstddef>
#include <memory>

namespace vellmor::fit {

struct GslFree {
  void operator()(gsl_matrix* m) const { gsl_matrix_free(m); }
  void operator()(gsl_vector* v) const { gsl_vector_free(v); }
};

using GslMatrix = std::unique_ptr<gsl_matrix, GslFree>;
using GslVector = std::unique_ptr<gsl_vector, GslFree>;

// A matrix of rows × columns or a vector of size, set to zero (every size above 0); throws
// std::bad_alloc where GSL finds no memory for it.
GslMatrix NewMatrix(std::size_t rows, std::size_t columns);
GslVector NewVector(std::size_t size);
GslMatrix CopyOf(const gsl_matrix& m);

// GSL's default on an error is to abort the process; a fit reports its failures instead. The
// handler is the library's one process-wide setting, set once to "return the status" before
// the first call that could raise one.
void TurnOffGslAborts();

}  // namespace vellmor::fit
