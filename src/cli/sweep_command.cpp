// The sweep as a command: the outputs, the progress line and the stop on Ctrl-C around the
// core's RunSweep.

#include "cli/sweep_command.h"

#include <unistd.h>

#include <chrono>
#include <exception>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "cli/console_output.h"
#include "cli/process_signals.h"
#include "cli/sweep_arguments.h"
#include "cli/sweep_outputs.h"
#include "cli/sweep_progress.h"
#include "core/sweep/summary_csv.h"
#include "core/sweep/sweep_runner.h"

namespace vellmor::cli {
namespace {

// Writes each case's summary line as the pool reports it, counts the statuses and shows the
// progress.
class SweepReport : public SweepObserver {
 public:
  SweepReport(const CaseSet& cases, SummaryColumns kind, SummaryOutput& summary,
              ProgressLine& progress)
      : cases_(cases), kind_(kind), summary_(summary), progress_(progress) {}

  void OnCase(const TCaseResult& result) override {
    summary_.Write(SummaryLine(result, cases_.ColumnTextsOf(result.Case), kind_));
    ++reported_;
    switch (result.Status) {
      case RunStatus::kSucceeded:
        ++tally_.Succeeded;
        break;
      case RunStatus::kRefused:
        ++tally_.Refused;
        break;
      case RunStatus::kFailed:
        ++tally_.Failed;
        break;
    }
  }

  void OnProgress(std::size_t done, std::size_t total) override {
    progress_.Update(done, total);
    // Lines reach a reader of standard output (a pipe, a terminal) as they come, a few times
    // a second rather than once per case.
    const auto now = std::chrono::steady_clock::now();
    if (now - last_flush_ >= std::chrono::milliseconds(200)) {
      summary_.Flush();
      last_flush_ = now;
    }
  }

  bool StopRequested() override { return StopSignals::Raised(); }

  const TStatusTally& tally() const { return tally_; }
  std::size_t reported() const { return reported_; }

 private:
  const CaseSet& cases_;
  const SummaryColumns kind_;
  SummaryOutput& summary_;
  ProgressLine& progress_;
  TStatusTally tally_;
  std::size_t reported_ = 0;
  std::chrono::steady_clock::time_point last_flush_ = std::chrono::steady_clock::now();
};

int Complain(const std::string& message, int status) {
  std::cerr << kMessagePrefix << message << '\n' << std::flush;
  return status;
}

int Sweep(const TSweepRequest& request, char decimal_separator) {
  const StopSignals signals;
  CheckSummaryPlace(request.SummaryPath, request.CasesPath, request.ResultDirectory, request.Cases);
  std::unique_ptr<ResultDirectory> files;
  if (!request.ResultDirectory.empty()) {
    files = std::make_unique<ResultDirectory>(request.ResultDirectory, request.Cases);
  }
  SummaryOutput summary(request.SummaryPath);
  // On a terminal, a summary on standard output shows its own progress line by line.
  const bool summary_on_terminal = request.SummaryPath.empty() && ::isatty(STDOUT_FILENO);
  ProgressLine progress(std::cerr,
                        !request.Quiet && ::isatty(STDERR_FILENO) && !summary_on_terminal);
  const SummaryColumns kind = request.Accuracy    ? SummaryColumns::kWithAccuracy
                              : request.Structure ? SummaryColumns::kWithStructure
                                                  : SummaryColumns::kProcess;
  SweepReport report(request.Cases, kind, summary, progress);

  summary.Write(SummaryHeader(request.Cases.Columns(), kind));
  TSweepOptions options;
  options.Jobs = request.Jobs;
  options.DecimalSeparator = decimal_separator;
  options.Shard = request.Shard;
  options.Files = files.get();
  options.Accuracy = request.Accuracy;
  options.Solve = request.Solve;
  options.Structure = request.Structure;
  TSweepOutcome outcome;
  std::optional<OutputError> failure;
  try {
    outcome = RunSweep(request.Cases, options, report);
  } catch (const OutputError& error) {
    // A result file that could not be written stops the sweep; the cases finished before it
    // stay in the summary.
    failure = error;
    outcome.Total = ShardCaseCount(request.Cases.Count(), request.Shard);
    outcome.Finished = report.reported();
  }
  files.reset();
  try {
    summary.Commit();
  } catch (const OutputError& error) {
    // The summary itself could not be written: said once, after what stopped the sweep.
    if (failure && std::string_view(failure->what()) != error.what()) {
      Complain(failure->what(), failure->Status());
    }
    throw;
  }
  progress.Finish(outcome.Finished, outcome.Total, report.tally());
  if (failure) {
    return Complain(std::string(failure->what()) + "; the summary holds the " +
                        std::to_string(outcome.Finished) + " cases finished before it",
                    failure->Status());
  }
  if (!outcome.Stopped) return kSweepExitDone;
  if (!request.Quiet) {
    std::cerr << kMessagePrefix << "interrupted after " << outcome.Finished << " of "
              << outcome.Total << " cases; the summary holds those " << outcome.Finished << '\n'
              << std::flush;
  }
  return kSweepExitInterrupted;
}

}  // namespace

int RunSweepCommand(const TSweepRequest& request, char decimal_separator) {
  try {
    return Sweep(request, decimal_separator);
  } catch (const OutputError& error) {
    return Complain(error.what(), error.Status());
  } catch (const std::exception& error) {
    // Out of memory, no thread to be had: say what, rather than end without a word.
    return Complain(error.what(), kSweepExitSoftware);
  }
}

}  // namespace vellmor::cli
