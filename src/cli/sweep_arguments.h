#pragma once

#include "cli/exit_status.h"

#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "core/inputs/input_texts.h"
#include "core/sweep/case_set.h"

namespace vellmor::cli {

// Exit statuses of vellmor-cli sweep (sysexits.h where one fits).
inline constexpr int kSweepExitDone = 0;            // every case ran, whatever its status
inline constexpr int kSweepExitUsage = kExitUsage;  // EX_USAGE: nothing was run or written
inline constexpr int kSweepExitSoftware = 70;       // EX_SOFTWARE: out of memory, no thread
inline constexpr int kSweepExitCantWrite =
    kExitExportFailed;  // EX_CANTCREAT: summary or result directory
inline constexpr int kSweepExitInterrupted =
    130;  // a stop signal (SIGINT, SIGTERM, …): 128 + SIGINT

// What one call of vellmor-cli sweep asks for, read and checked: the cases, where their
// results go, and how to run them.
struct TSweepRequest {
  CaseSet Cases;
  TShard Shard;
  std::string CasesPath;        // the cases file, "-" for standard input; empty with --vary
  std::string SummaryPath;      // empty: standard output
  std::string ResultDirectory;  // empty: no result files
  int Jobs = 1;
  bool Quiet = false;
  bool Accuracy = false;  // the converged solution's columns in the summary
};

// The default number of jobs: every hardware thread this process may run on (its CPU
// affinity, which taskset and batch schedulers such as Slurm set), at least one.
int DefaultJobs();

// Reads the arguments after "sweep" (argv[0] being "sweep") and builds the cases, with
// decimal_separator for ranges. Returns the request, or the exit status when the parse itself
// ends the program: 0 after --help, kSweepExitUsage after a usage error (both printed).
std::variant<TSweepRequest, int> ParseSweepArguments(int argc, const char* const* argv,
                                                     char decimal_separator);

}  // namespace vellmor::cli
