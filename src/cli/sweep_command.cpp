// The sweep as a command: the outputs, the progress line and the stop on Ctrl-C around the
// core's RunSweep.

#include "cli/sweep_command.h"

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <exception>
#include <filesystem>
#include <iostream>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cli/arguments.h"
#include "cli/console_output.h"
#include "cli/process_signals.h"
#include "cli/sweep_arguments.h"
#include "cli/sweep_outputs.h"
#include "cli/sweep_progress.h"
#include "core/base/output_file.h"
#include "core/sweep/summary_csv.h"
#include "core/sweep/sweep_record.h"
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
    std::string line = SummaryLine(result, cases_.ColumnTextsOf(result.Case), kind_);
    if (held_ != nullptr) {
      held_->emplace(result.Case, std::move(line));
    } else {
      summary_.Write(line);
    }
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

  // A resumed summary's lines are held, to be written in case order with the earlier ones.
  void Hold(std::map<std::size_t, std::string>& lines) { held_ = &lines; }

  const TStatusTally& tally() const { return tally_; }
  std::size_t reported() const { return reported_; }

 private:
  const CaseSet& cases_;
  const SummaryColumns kind_;
  SummaryOutput& summary_;
  std::map<std::size_t, std::string>* held_ = nullptr;
  ProgressLine& progress_;
  TStatusTally tally_;
  std::size_t reported_ = 0;
  std::chrono::steady_clock::time_point last_flush_ = std::chrono::steady_clock::now();
};

int Complain(const std::string& message, int status) {
  std::cerr << kMessagePrefix << message << '\n' << std::flush;
  return status;
}

// A word as bash reads it back: in single quotes unless it needs none.
std::string ShellWord(std::string_view word) {
  const bool plain = !word.empty() && std::all_of(word.begin(), word.end(), [](char c) {
    return std::isalnum(static_cast<unsigned char>(c)) != 0 ||
           std::string_view("-_=.,:/+%@").find(c) != std::string_view::npos;
  });
  if (plain) return std::string(word);
  std::string quoted = "'";
  for (const char c : word) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

// The sweep's own arguments without those the job script sets for each shard.
std::vector<std::string> ShardArguments(const std::vector<std::string>& given) {
  std::vector<std::string> kept;
  for (std::size_t i = 0; i < given.size(); ++i) {
    const std::string& a = given[i];
    bool dropped = false;
    for (const char* option : {"--slurm-script", "--shard", "--summary", "--jobs", "-j"}) {
      const std::string name(option);
      if (a == name) {
        ++i;  // and its value
        dropped = true;
      } else if (a.starts_with(name + "=")) {
        dropped = true;
      }
    }
    if (dropped || a == "--quiet" || a == "-q" || a == "--resume") continue;
    kept.push_back(a);
  }
  return kept;
}

// The runner's own path, so that the jobs run the same program wherever PATH points.
std::string RunnerPath() {
  std::error_code error;
  const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
  return error ? std::string("vellmor-cli") : self.string();
}

std::string SlurmScript(const TSweepRequest& request) {
  const std::string shards = std::to_string(*request.SlurmShards);
  const std::string runner = ShellWord(RunnerPath());
  std::string sweep;
  for (const std::string& argument : ShardArguments(request.Arguments)) {
    sweep += ' ' + ShellWord(argument);
  }
  std::string merge;
  for (std::size_t i = 1; i <= *request.SlurmShards; ++i) {
    merge += " shard-" + std::to_string(i) + ".csv";
  }
  return "#!/bin/bash\n"
         "# A vellmor-cli sweep as a Slurm job array of " +
         shards +
         " shards, then the merge of\n"
         "# their summaries into summary.csv. Run it with bash from the directory the summaries\n"
         "# go to: it submits itself as the array, then the merge.\n"
         "#SBATCH --job-name=vellmor-sweep\n"
         "#SBATCH --array=1-" +
         shards +
         "\n"
         "#SBATCH --cpus-per-task=1\n"
         "#SBATCH --output=shard-%a.log\n"
         "set -euo pipefail\n"
         "if [ -z \"${SLURM_ARRAY_TASK_ID:-}\" ]; then\n"
         "  array=$(sbatch --parsable \"$0\")\n"
         "  # Cancelled or failed shards cancel the merge rather than leave it pending for ever.\n"
         "  merge=$(sbatch --parsable --job-name=vellmor-merge --output=merge.log \\\n"
         "    --dependency=\"afterok:${array%%;*}\" --kill-on-invalid-dep=yes \\\n"
         "    --wrap=\"exec " +
         runner + " sweep merge" + merge +
         " --output summary.csv\")\n"
         "  echo \"shards: job ${array%%;*}; merge: job ${merge%%;*}\"\n"
         "  exit 0\n"
         "fi\n"
         "# exec: the stop signal at the time limit reaches the runner, which keeps the cases it\n"
         "# finished; --resume completes the shard when it runs again. --jobs: the CPUs Slurm "
         "gave.\n"
         "exec " +
         runner + " sweep" + sweep +
         " \\\n"
         "  --shard \"$SLURM_ARRAY_TASK_ID/" +
         shards +
         "\" --jobs \"${SLURM_CPUS_PER_TASK:-0}\" \\\n"
         "  --resume --quiet --summary \"shard-$SLURM_ARRAY_TASK_ID.csv\"\n";
}

// What an earlier summary of this very shard holds: its cases' lines; the shard's missing
// cases go into options.Only. Throws OutputError when it is of another sweep.
std::map<std::size_t, std::string> Resumed(const TSweepRequest& request, SummaryColumns kind,
                                           TSweepOptions& options) {
  std::map<std::size_t, std::string> lines;
  std::error_code error;
  if (!std::filesystem::exists(request.SummaryPath, error)) return lines;
  const std::string record_path = RecordPath(request.SummaryPath);
  const std::optional<std::string> record_text = ReadWholeFile(record_path, 1 << 16);
  const std::string refused = "--resume " + request.SummaryPath + ": ";
  if (!record_text) {
    throw OutputError(refused + "no record of its sweep beside it (" + record_path +
                          "): it is not a sweep's summary to resume",
                      kSweepExitUsage);
  }
  auto record = ReadRecord(*record_text, record_path);
  if (auto* problem = std::get_if<std::string>(&record)) {
    throw OutputError(refused + *problem, kSweepExitUsage);
  }
  const TSweepRecord expected = RecordOf(request.Cases, options);
  const TSweepRecord& found = std::get<TSweepRecord>(record);
  if (found.Fingerprint != expected.Fingerprint || found.CaseCount != expected.CaseCount ||
      found.Shard.Index != expected.Shard.Index || found.Shard.Count != expected.Shard.Count) {
    throw OutputError(refused + "the summary of another sweep (or shard); nothing was run",
                      kSweepExitUsage);
  }
  const std::optional<std::string> text = ReadWholeFile(request.SummaryPath, std::size_t{4} << 30);
  if (!text) throw OutputError(refused + "the file can not be read", kSweepExitUsage);
  auto read = ReadSummaryLines(*text, request.SummaryPath);
  if (auto* problem = std::get_if<std::string>(&read)) {
    throw OutputError(refused + *problem, kSweepExitUsage);
  }
  TSummaryLines& summary = std::get<TSummaryLines>(read);
  if (summary.Header != SummaryHeader(request.Cases.Columns(), kind)) {
    throw OutputError(refused + "its header is not this sweep's", kSweepExitUsage);
  }
  for (auto& [case_number, line] : summary.Cases) lines.emplace(case_number, std::move(line));
  const std::size_t total = ShardCaseCount(request.Cases.Count(), request.Shard);
  options.Only.emplace();
  for (std::size_t position = 0; position < total; ++position) {
    const std::size_t case_number = ShardCase(request.Shard, position);
    if (!lines.contains(case_number)) options.Only->push_back(case_number);
  }
  return lines;
}

int Sweep(const TSweepRequest& request, char decimal_separator) {
  if (request.SlurmShards) {
    std::cout << SlurmScript(request) << std::flush;
    return std::cout ? kSweepExitDone : kSweepExitCantWrite;
  }
  const StopSignals signals;
  CheckSummaryPlace(request.SummaryPath, request.CasesPath, request.ResultDirectory, request.Cases);
  std::unique_ptr<ResultDirectory> files;
  if (!request.ResultDirectory.empty()) {
    files = std::make_unique<ResultDirectory>(request.ResultDirectory, request.Cases);
  }
  const SummaryColumns kind = request.Accuracy    ? SummaryColumns::kWithAccuracy
                              : request.Structure ? SummaryColumns::kWithStructure
                                                  : SummaryColumns::kProcess;
  TSweepOptions options;
  options.Jobs = request.Jobs;
  options.DecimalSeparator = decimal_separator;
  options.Shard = request.Shard;
  options.Files = files.get();
  options.Accuracy = request.Accuracy;
  options.Solve = request.Solve;
  options.Structure = request.Structure;
  // What an earlier summary holds, read before the new one is opened over it.
  std::map<std::size_t, std::string> earlier;
  if (request.Resume) earlier = Resumed(request, kind, options);
  SummaryOutput summary(request.SummaryPath);
  // On a terminal, a summary on standard output shows its own progress line by line.
  const bool summary_on_terminal = request.SummaryPath.empty() && ::isatty(STDOUT_FILENO);
  ProgressLine progress(std::cerr,
                        !request.Quiet && ::isatty(STDERR_FILENO) && !summary_on_terminal);
  SweepReport report(request.Cases, kind, summary, progress);
  if (request.Resume) report.Hold(earlier);
  if (!request.Resume) summary.Write(SummaryHeader(request.Cases.Columns(), kind));
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
  if (request.Resume) {
    // The earlier cases and the new ones, in case order, as one run would have written them.
    summary.Write(SummaryHeader(request.Cases.Columns(), kind));
    for (const auto& [case_number, line] : earlier) summary.Write(line);
  }
  try {
    summary.Commit();
    // Beside a summary file, the record of its sweep: what sweep merge and --resume check.
    if (!request.SummaryPath.empty() && request.SummaryPath != "-") {
      const TOutputStatus recorded = WriteWholeOutput(RecordPath(request.SummaryPath),
                                                      RecordText(RecordOf(request.Cases, options)));
      if (!recorded.Ok()) {
        throw OutputError(
            "can not write " + RecordPath(request.SummaryPath) + ": " + recorded.Reason,
            kSweepExitCantWrite);
      }
    }
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
  // Said even under --quiet: a batch job's log must show why its summary is short.
  std::cerr << kMessagePrefix << "interrupted after " << outcome.Finished << " of " << outcome.Total
            << " cases; the summary holds those " << outcome.Finished << '\n'
            << std::flush;
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
