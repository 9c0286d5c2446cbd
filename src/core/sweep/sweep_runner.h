#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "vellmor/analysis/process_numbers.h"
#include "vellmor/converged/accuracy_report.h"
#include "vellmor/run/run_sequence.h"
#include "vellmor/structure/structure_summary.h"
#include "vellmor/sweep/case_set.h"
#include "vellmor/uncertainty/propagation.h"

namespace vellmor {

// What one case of a sweep found: the run's status and its one message, and on success the
// numbers of the converged spinline.
struct TCaseResult {
  std::size_t Case = 0;  // 1-based case number
  RunStatus Status = RunStatus::kRefused;
  RunFailureKind Failure = RunFailureKind::kNone;
  std::string FileProblem;  // the result file's name and the system's reason (TRunOutcome)
  std::string Message;      // the run's one message; empty when it succeeded
  int Passes = 0;           // marches made (0 when the inputs were refused)
  std::optional<double> SpinneretTensionDyn;  // on success
  std::optional<double> FinalVelocityMMin;    // on success
  std::optional<TProcessNumbers> Numbers;     // on success
  // With TSweepOptions::Accuracy, on success: the case beside the converged solution of its
  // condition, or the one line that says why that solution failed ("Converged solution
  // failed: …"). Either way the case's status and message stand as the run left them.
  std::optional<TAccuracyReport> Accuracy;
  std::string AccuracyFailure;
  std::optional<TStructureSummary> Structure;  // solved with the structure, on success
  std::vector<std::string> Warnings;  // the run's (TRunOutcome::Warnings, TConvergedRun::Warnings)
  // With TSweepOptions::Intervals, on success: the 95 % intervals of the process numbers and
  // the structure's (no profile).
  std::optional<TAnswerSet<std::optional<TInterval>>> Intervals;
};

// Where each case writes its result file, and what becomes of it once the case has run. Only a
// case that succeeds leaves its file at the name; a failed one leaves the name as it was.
// Called from the worker threads at the same time: implementations must be thread-safe.
class CaseFiles {
 public:
  virtual ~CaseFiles() = default;
  // The save file name the run of case_number writes; worker (0 … jobs − 1) tells apart the
  // threads, each running one case at a time.
  virtual std::string SaveFileName(std::size_t case_number, int worker) = 0;
  // Told once the run of a case (result.Case) has ended on worker. Throws to stop the whole
  // sweep: a result directory that cannot be written is no case's fault.
  virtual void AfterRun(const TCaseResult& result, int worker) = 0;
};

// Follows a sweep from the thread that called RunSweep.
class SweepObserver {
 public:
  virtual ~SweepObserver() = default;
  // Every finished case exactly once, in case order whatever the number of jobs. Throws to
  // stop the sweep.
  virtual void OnCase(const TCaseResult& result) = 0;
  // done of total cases finished, at each case and at least every tenth of a second.
  virtual void OnProgress(std::size_t /*done*/, std::size_t /*total*/) {}
  // Asked as often as OnProgress: true stops the sweep. No case starts after that; the cases
  // running finish (the longest in about a second) and are reported.
  virtual bool StopRequested() { return false; }
};

struct TSweepOptions {
  int Jobs = 1;  // worker threads, each with its own run state
  char DecimalSeparator = '.';
  TShard Shard;                // the cases to run
  CaseFiles* Files = nullptr;  // none: no case writes a result file
  // Also solve each succeeded case's condition to convergence, on the case's worker (about
  // 0.3 ms a case): the suggested increment is the first-order estimate, with no check march.
  bool Accuracy = false;
  // Solve each case with the converged model instead, its card cases.CardOf(case): the same
  // summary, the passes and numbers the converged solution's. No result files, no Accuracy.
  bool Solve = false;
  // With Solve: follow the fibre's structure too (TCaseResult::Structure).
  bool Structure = false;
  // With Solve: the intervals of each case's numbers from its card's uncertainty section, each
  // case's on its own worker.
  std::optional<TUncertaintySettings> Intervals;
  // The shard's cases to run, ascending (a resumed shard's missing ones, none when it is
  // complete); without a list, all of them.
  std::optional<std::vector<std::size_t>> Only;
};

struct TSweepOutcome {
  std::size_t Total = 0;     // cases in the shard
  std::size_t Finished = 0;  // cases run and reported, always cases 1 … Finished of the shard
  bool Stopped = false;      // StopRequested ended the sweep early
};

// Runs the shard's cases of cases, each an ordinary run (RunSpinline) of its texts with the
// save file name from options.Files, on options.Jobs threads. A refused or failed case is a
// result like any other. An exception from Files or observer (or out of memory) stops the
// sweep: the cases finished before it in case order are still reported, then it is rethrown
// here once every worker has ended.
TSweepOutcome RunSweep(const CaseSet& cases, const TSweepOptions& options, SweepObserver& observer);

}  // namespace vellmor
