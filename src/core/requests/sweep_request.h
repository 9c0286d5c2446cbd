#pragma once

// The sweep as a request: the cases (every combination of varied inputs, or a cases file),
// how they are solved, the shard of them to run, and where the summary and the result files
// go. Every rule of a sweep's description is checked here, once, for every front end.

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "vellmor/requests/card_choice.h"
#include "vellmor/requests/interval_choice.h"
#include "vellmor/requests/request_values.h"
#include "vellmor/sweep/case_set.h"
#include "vellmor/sweep/summary_csv.h"
#include "vellmor/sweep/sweep_runner.h"

namespace vellmor {

struct SweepRequest {
  explicit SweepRequest(CaseSet cases) : Cases(std::move(cases)) {}

  CaseSet Cases;
  TShard Shard;
  std::string CasesPath;        // the cases file's name; empty with vary
  std::string SummaryPath;      // empty: standard output (with standard streams) or memory
  std::string ResultDirectory;  // empty: no result files
  int Jobs = 1;
  bool Accuracy = false;      // the converged solution's columns in the summary
  bool Solve = false;         // every case by the converged model, with the cases' card
  bool Structure = false;     // with Solve: the fibre's structure, four more columns
  TIntervalChoice Intervals;  // with Solve
  // With Solve, from the choice and the card: the intervals' columns.
  std::optional<TUncertaintySettings> IntervalSettings;
  bool Resume = false;  // an existing summary of the same sweep: run only its missing cases
  std::optional<std::size_t> SlurmShards;  // the runner's job script instead of running
  std::vector<std::string> CardWarnings;   // what the card's reader said

  SummaryColumns Columns() const;

  static OrRequestProblem<SweepRequest> From(const TRequestValues& values,
                                             const TRequestContext& context);
};

// Every hardware thread this process may run on (its CPU affinity, which taskset and batch
// schedulers such as Slurm set), at least one.
int DefaultJobs();

// Follows a sweep from the thread that executes it.
class SweepFollower {
 public:
  virtual ~SweepFollower() = default;
  // done of total cases finished, at each case and at least every tenth of a second.
  virtual void OnProgress(std::size_t /*done*/, std::size_t /*total*/) {}
  // True stops the sweep: no case starts after that; those running finish and are kept.
  virtual bool StopRequested() { return false; }
};

// How many cases of a sweep ended each way.
struct TStatusTally {
  std::size_t Succeeded = 0;
  std::size_t Refused = 0;
  std::size_t Failed = 0;
};

struct SweepResponse {
  enum class End {
    kDone,       // every case of the shard ran, whatever its status
    kRefused,    // an output or a resumed summary refused before anything ran
    kStopped,    // StopRequested ended it; the summary holds the cases finished
    kCantWrite,  // the summary, its record or a result file could not be written
  };
  End Ending = End::kDone;
  std::string Message;  // why it did not end kDone (kStopped: how many cases it kept)
  TSweepOutcome Outcome;
  TStatusTally Tally;
  std::string Summary;  // the summary itself when it went to memory
};

// Runs the request's shard: the summary written as the cases finish (to memory when the
// request names no summary and the context has no standard output), the record of the sweep
// beside a summary file, each succeeded case's result file in the result directory. Out of
// memory or no thread to be had is std::exception, for the front end to say.
SweepResponse Execute(const SweepRequest& request, const TRequestContext& context,
                      SweepFollower* follower = nullptr);

}  // namespace vellmor
