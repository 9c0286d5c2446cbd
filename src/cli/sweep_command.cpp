// The sweep as a command: the core's sweep with the progress line, the stop on Ctrl-C, and the
// job script that runs it as a Slurm array.

#include "cli/sweep_command.h"

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <exception>
#include <filesystem>
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

#include "cli/arguments.h"
#include "cli/console_output.h"
#include "cli/exit_status.h"
#include "cli/process_signals.h"
#include "cli/sweep_progress.h"
#include "vellmor/requests/sweep_request.h"

namespace vellmor::cli {
namespace {

// The progress line and the stop signals, for the core's sweep.
class SweepConsole : public SweepFollower {
 public:
  explicit SweepConsole(ProgressLine& progress) : progress_(progress) {}
  void OnProgress(std::size_t done, std::size_t total) override { progress_.Update(done, total); }
  bool StopRequested() override { return StopSignals::Raised(); }

 private:
  ProgressLine& progress_;
};

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

// A text inside double quotes as the shell reads it back to the same text: the dollar sign,
// backquote, double quote and backslash escaped. A word quoted for the shell that runs a job
// (ShellWord) survives the shell that submits it this way.
std::string InDoubleQuotes(std::string_view text) {
  std::string quoted;
  for (const char c : text) {
    if (c == '$' || c == '`' || c == '"' || c == '\\') quoted += '\\';
    quoted += c;
  }
  return quoted;
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

std::string SlurmScript(const TCommandLine& command_line, std::size_t shard_count) {
  const std::string shards = std::to_string(shard_count);
  const std::string runner = ShellWord(RunnerPath());
  std::string sweep;
  for (const std::string& argument : ShardArguments(command_line.Arguments)) {
    sweep += ' ' + ShellWord(argument);
  }
  // The shards by their pattern, which the merge's own shell expands: ten thousand names
  // would pass the length Slurm allows a wrapped command. The merge names a missing one.
  const std::string merge = " shard-[0-9]*.csv";
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
         InDoubleQuotes(runner) + " sweep merge" + merge +
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

int Sweep(const TCommandLine& command_line, char decimal_separator) {
  RunnerReader files;
  TRequestContext context = RunnerContext(decimal_separator, command_line.Program);
  context.Reader = &files;
  auto parsed = SweepRequest::From(command_line.Values, context);
  if (const auto* problem = std::get_if<TRequestProblem>(&parsed)) {
    return Refuse(*problem, kSweepExitUsage);
  }
  const SweepRequest& request = std::get<SweepRequest>(parsed);
  for (const std::string& warning : request.CardWarnings) Complain(warning, 0);
  if (request.SlurmShards) {
    std::cout << SlurmScript(command_line, *request.SlurmShards) << std::flush;
    return std::cout ? kSweepExitDone : kSweepExitCantWrite;
  }
  const StopSignals signals;
  // On a terminal, a summary on standard output shows its own progress line by line.
  const bool summary_on_terminal = request.SummaryPath.empty() && ::isatty(STDOUT_FILENO);
  ProgressLine progress(std::cerr,
                        !command_line.Quiet && ::isatty(STDERR_FILENO) && !summary_on_terminal);
  SweepConsole console(progress);
  const SweepResponse response = Execute(request, context, &console);
  switch (response.Ending) {
    case SweepResponse::End::kRefused:
      return Complain(response.Message, kSweepExitUsage);
    case SweepResponse::End::kCantWrite:
      return Complain(response.Message, kSweepExitCantWrite);
    case SweepResponse::End::kStopped:
      progress.Finish(response.Outcome.Finished, response.Outcome.Total, response.Tally);
      // Said even under --quiet: a batch job's log must show why its summary is short.
      return Complain(response.Message, kSweepExitInterrupted);
    case SweepResponse::End::kDone:
      break;
  }
  progress.Finish(response.Outcome.Finished, response.Outcome.Total, response.Tally);
  return kSweepExitDone;
}

}  // namespace

int RunSweepCommand(const TCommandLine& command_line, char decimal_separator) {
  try {
    return Sweep(command_line, decimal_separator);
  } catch (const std::exception& error) {
    // Out of memory, no thread to be had: say what, rather than end without a word.
    return Complain(error.what(), kSweepExitSoftware);
  }
}

}  // namespace vellmor::cli
