#pragma once

#include <ostream>
#include <string>
#include <string_view>

#include "vellmor/analysis/process_numbers.h"
#include "vellmor/base/message_sink.h"
#include "vellmor/converged/accuracy_check.h"
#include "vellmor/requests/request_problem.h"
#include "vellmor/run/run_sequence.h"
#include "vellmor/solver/calculate_spinline.h"

namespace vellmor::cli {

// The run's messages, each as one line on a stream (standard error in the runner).
// What every message of the runner starts with, as GNU tools name themselves; the system's
// own texts follow unchanged.
inline constexpr std::string_view kMessagePrefix = "vellmor-cli: ";

class StreamSink : public MessageSink {
 public:
  explicit StreamSink(std::ostream& out) : out_(out) {}
  void ShowMessage(std::string_view text) override;

 private:
  std::ostream& out_;
};

// One line per pass of the tension search, written as soon as the pass is adjusted, so a slow
// case shows that it is moving.
class ProgressPrinter : public PassObserver {
 public:
  ProgressPrinter(std::ostream& out, char decimal_separator)
      : out_(out), decimal_separator_(decimal_separator) {}
  void OnPass(const TPassRecord& pass) override;

 private:
  std::ostream& out_;
  char decimal_separator_;
};

// What a successful run found: passes, spinneret tension, the final velocity against the
// take-up velocity, the final diameter and temperature, what the spinline means for the fibre
// when numbers are given (PrintProcessNumbers), and the file written.
void PrintSummary(std::ostream& out, const TRunSummary& summary, char decimal_separator,
                  const TProcessNumbers* numbers = nullptr);

// The summary's lines without the file: first_words and the passes ("Converged after 11
// passes"), then as PrintSummary, the freeze point taken at solidification_c.
void PrintSolution(std::ostream& out, std::string_view first_words, const TRunSummary& summary,
                   char decimal_separator, const TProcessNumbers* numbers, double solidification_c);

// The freeze point and the stress there, take-up tension, fineness, draw-down ratio and
// residence time, one line each, aligned with the summary; the freeze point is where the
// filament falls below solidification_c.
void PrintProcessNumbers(std::ostream& out, const TProcessNumbers& numbers, char decimal_separator,
                         double solidification_c = kGlassTransition);

// The line that compares the result with the converged solution, after the summary, or the
// converged solution's failure through sink (standard error), which leaves the run as it is.
void PrintAccuracy(std::ostream& out, const TAccuracyCheck& check, char decimal_separator,
                   MessageSink& sink);

// Says problem on standard error, one line per line of its message; returns status.
int Refuse(const TRequestProblem& problem, int status);
// The same for a message of the runner's own.
int Complain(std::string_view message, int status);

// Flushes what was printed on out; the system's reason when that failed, else empty.
std::string FlushFailure(std::ostream& out);

// The exit status of a run or solution that ended with status: a success keeps 0 only when
// every export was written and its summary printed (73, 74).
int ExitStatusOf(RunStatus status, bool exported, bool summary_printed);

}  // namespace vellmor::cli
