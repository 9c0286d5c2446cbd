#pragma once

#include <chrono>
#include <cstddef>
#include <ostream>
#include <string>

#include "vellmor/requests/sweep_request.h"

namespace vellmor::cli {

// The progress of long work as one line on a terminal, redrawn at most four times a second:
// "512/1000 cases, 1480 cases/s, 0:00:01 left" (the unit "cases" for a sweep, "interval
// bounds" for a fit). Does nothing when not enabled.
class ProgressLine {
 public:
  ProgressLine(std::ostream& out, bool enabled, std::string unit = "cases");
  void Update(std::size_t done, std::size_t total);
  // The last line, ended: cases done, time, rate and the tally.
  void Finish(std::size_t done, std::size_t total, const TStatusTally& tally);
  // Takes the line away, for output that follows on the same terminal.
  void Clear();

 private:
  using Clock = std::chrono::steady_clock;
  double Seconds() const;

  std::ostream& out_;
  bool enabled_;
  std::string unit_;
  Clock::time_point start_ = Clock::now();
  Clock::time_point last_draw_{};
};

// A duration in whole seconds as h:mm:ss.
std::string ClockTime(double seconds);

}  // namespace vellmor::cli
