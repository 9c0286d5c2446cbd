#include "vellmor/fit/gsl_owners.h"

#include <gsl/gsl_errno.h>

#include <cassert>
#include <mutex>
#include <new>

namespace vellmor::fit {

GslMatrix NewMatrix(std::size_t rows, std::size_t columns) {
  assert(rows > 0 && columns > 0);
  TurnOffGslAborts();
  GslMatrix m(gsl_matrix_calloc(rows, columns));
  if (m == nullptr) throw std::bad_alloc();
  return m;
}

GslVector NewVector(std::size_t size) {
  assert(size > 0);
  TurnOffGslAborts();
  GslVector v(gsl_vector_calloc(size));
  if (v == nullptr) throw std::bad_alloc();
  return v;
}

GslMatrix CopyOf(const gsl_matrix& m) {
  GslMatrix copy = NewMatrix(m.size1, m.size2);
  gsl_matrix_memcpy(copy.get(), &m);
  return copy;
}

void TurnOffGslAborts() {
  static std::once_flag once;
  std::call_once(once, [] { gsl_set_error_handler_off(); });
}

}  // namespace vellmor::fit
