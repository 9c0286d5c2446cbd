#pragma once

#include <stdexcept>
#include <string>

namespace vellmor {

// A failure that ends a run after the result file may already have been touched: caught once,
// by the run sequence, which shows what() as the run's one message.
class RunFailure : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The numerics gave up: a floating-point fault or a tension search that did not converge.
class CalculationError : public RunFailure {
 public:
  using RunFailure::RunFailure;
};

// Writing or closing the result file failed once it was open (a full disk, say).
class FileWriteError : public RunFailure {
 public:
  using RunFailure::RunFailure;
};

}  // namespace vellmor
