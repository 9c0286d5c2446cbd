#pragma once

#include <exception>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace vellmor {

// A failure that ends a run after the result file may already have been touched: caught once,
// by the run sequence, which shows what() as the run's one message.
class RunFailure : public std::exception {
 public:
  explicit RunFailure(std::string message) : message_(std::move(message)) {}
  const char* what() const noexcept override { return message_.c_str(); }

  // Adds where the run was when it failed (" at x = 5.0 cm"), as the failure travels outwards.
  void AddPlace(std::string_view place) { message_ += place; }
  // The same, keeping the position or the pass as numbers for callers that need no text: the
  // innermost position given is where it failed.
  void AddPosition(std::string_view place, double x_cm) {
    AddPlace(place);
    if (!position_cm_) position_cm_ = x_cm;
  }
  void AddPass(std::string_view place, int pass) {
    AddPlace(place);
    if (!pass_) pass_ = pass;
  }
  // Where along the line (cm) and in which pass of the tension search it failed, where known.
  std::optional<double> PositionCm() const { return position_cm_; }
  std::optional<int> Pass() const { return pass_; }

 private:
  std::string message_;
  std::optional<double> position_cm_;
  std::optional<int> pass_;
};

// Why the numerics gave up.
enum class CalculationFault {
  kInvalidOperation,  // the logarithm or square root of a negative number, 0/0, …
  kDivisionByZero,
  kOverflow,
  kNoConvergence,      // the tension search did not meet the take-up speed within its pass bound
  kTooManyPoints,      // the profile would not fit its MaxPoints points
  kTooFewPoints,       // fewer than two points: no step to march
  kStepSizeUnderflow,  // the adaptive integration of the converged solution could not proceed
  kAirPoleOnTheLine,   // the quench air's hyperbola has its pole where the converged solution
                       // must integrate
};

// The fault's name as scripts see it: "division_by_zero".
std::string_view FaultName(CalculationFault fault);

// The numerics gave up: a floating-point fault, a profile that does not fit, a step size that
// underflowed, or a tension search that did not converge.
class CalculationError : public RunFailure {
 public:
  CalculationError(CalculationFault fault, std::string message)
      : RunFailure(std::move(message)), fault_(fault) {}
  CalculationFault Fault() const { return fault_; }

 private:
  CalculationFault fault_;
};

// " at x = 5.0 cm": where along the spinline a failure happened, x written with as many
// decimals as the increment has (one at least, four at most), with a point.
std::string PlaceAlongSpinline(double x, double increment);

// " in pass 3 (spinneret tension 27.500 dyn)": the pass of the tension search a failure
// happened in, the tension with a point.
std::string PlaceInPass(int pass, double spinneret_tension);

// Writing or closing the result file failed once it was open (a full disk, say).
class FileWriteError : public RunFailure {
 public:
  using RunFailure::RunFailure;
};

}  // namespace vellmor
