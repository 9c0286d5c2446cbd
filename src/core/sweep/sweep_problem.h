#pragma once

#include <cstddef>
#include <string>
#include <variant>

namespace vellmor {

// What is wrong with the description of a sweep, and where: "the step is zero" of the
// subject "take_up_speed=3000:6000:0", which a request shows after the parameter that gave it
// ("--vary take_up_speed=3000:6000:0: the step is zero"); a cases file's problems name the file
// and line in the message and have no subject. A malformed sweep is an expected outcome of
// reading what a user typed, so it is a value, not an exception.
struct TSweepProblem {
  std::string Message;
  std::string Subject = {};
};

// The largest number of cases one sweep may have: beyond it a typed step is far more likely a
// slip (0.001 for 0.1) than a study anyone meant to wait for.
inline constexpr std::size_t kMaxSweepCases = 10'000'000;

// A value read from a sweep's description, or what is wrong with it.
template <class T>
using OrProblem = std::variant<T, TSweepProblem>;

}  // namespace vellmor
