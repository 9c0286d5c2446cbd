#pragma once

#include "cli/exit_status.h"
#include "cli/model_options.h"

#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "core/inputs/input_fields.h"
#include "core/inputs/input_texts.h"
#include "core/sweep/case_set.h"

namespace CLI {
class App;
class Option;
}  // namespace CLI

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
  bool Accuracy = false;   // the converged solution's columns in the summary
  bool Solve = false;      // every case by the converged model, with the cases' card
  bool Structure = false;  // with Solve: the fibre's structure, four more columns
  bool Resume = false;     // an existing summary of the same sweep: run only its missing cases
  // --slurm-script N: print the job array of N shards and its merge instead of running.
  std::optional<std::size_t> SlurmShards = {};
  std::vector<std::string> Arguments = {};  // the sweep's arguments as given, for the job script
};

// The default number of jobs: every hardware thread this process may run on (its CPU
// affinity, which taskset and batch schedulers such as Slurm set), at least one.
int DefaultJobs();

// The options of the sweep as given, before they are checked and the cases built.
struct TSweepArguments {
  TInputTexts Base;  // the window's defaults, with the input options given
  std::vector<std::pair<const TInputField*, const CLI::Option*>> InputOptions;
  std::vector<std::string> Varies;
  std::string CasesPath;
  std::string SummaryPath;
  std::string ResultDirectory;
  int Jobs = 1;
  std::string ShardText = "1/1";
  bool Quiet = false;
  bool Accuracy = false;
  bool Solve = false;
  bool Structure = false;
  bool Resume = false;
  std::size_t SlurmShards = 0;
  std::vector<std::string> Arguments;  // as given after "sweep"
  TModelChoice Model;
  const CLI::Option* CasesOption = nullptr;
  const CLI::Option* SummaryOption = nullptr;
  const CLI::Option* ResultDirectoryOption = nullptr;
  const CLI::Option* ModelOption = nullptr;
  const CLI::Option* SlurmOption = nullptr;
};

// Adds the sweep's options, bound to arguments (which must outlive the parse), to the
// subcommand app, with its description and exit statuses for --help.
void AddSweepOptions(CLI::App& app, TSweepArguments& arguments, char decimal_separator);

// A sweep names each case's result file itself: -o or --save-file among the arguments is a
// usage error (printed); its status, or nullopt.
std::optional<int> RefusedSweepArgument(int argc, const char* const* argv);

// The request of the arguments once parsed: the cases built, with decimal_separator for
// ranges. Or the exit status of a usage error (printed).
std::variant<TSweepRequest, int> SweepRequestOf(TSweepArguments arguments, char decimal_separator);

}  // namespace vellmor::cli
