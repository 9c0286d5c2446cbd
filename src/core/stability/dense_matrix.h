#pragma once

// A dense real or complex matrix, row-major and contiguous, the layout GSL's matrix views take
// as they are: the operators of the linearised spinline are a few hundred rows at most.

#include <cassert>
#include <complex>
#include <cstddef>
#include <vector>

namespace vellmor {

template <class Value>
class TDense {
 public:
  TDense() = default;
  TDense(std::size_t rows, std::size_t cols) : rows_(rows), cols_(cols), values_(rows * cols) {}

  std::size_t Rows() const { return rows_; }
  std::size_t Cols() const { return cols_; }
  Value& operator()(std::size_t i, std::size_t j) {
    assert(i < rows_ && j < cols_);
    return values_[i * cols_ + j];
  }
  Value operator()(std::size_t i, std::size_t j) const {
    assert(i < rows_ && j < cols_);
    return values_[i * cols_ + j];
  }
  Value* Data() { return values_.data(); }
  const Value* Data() const { return values_.data(); }

 private:
  std::size_t rows_ = 0, cols_ = 0;
  std::vector<Value> values_;
};

using TMatrix = TDense<double>;
using TComplexMatrix = TDense<std::complex<double>>;

}  // namespace vellmor
