// vellmor-cli: one spinline run from the command line, the window's input fields as options;
// "vellmor-cli sweep ..." runs many, "vellmor-cli solve ..." the converged model, "vellmor-cli
// fit ..." fits the model card to measurements. Each command is a request of the core; the
// runner reads its options into the request's values and shows what the core answers.

#include <variant>

#include "cli/command_line.h"
#include "cli/fit_command.h"
#include "cli/process_signals.h"
#include "cli/reply_command.h"
#include "cli/run_case.h"
#include "cli/solve_command.h"
#include "cli/sweep_command.h"
#include "cli/sweep_merge.h"
#include "vellmor/inputs/user_number_format.h"

int main(int argc, char** argv) {
  vellmor::cli::PrepareProcess();
  const char separator = vellmor::UserDecimalSeparator();
  const auto parsed = vellmor::cli::ParseCommandLine(argc, argv, separator);
  if (const int* exit_status = std::get_if<int>(&parsed)) return *exit_status;
  const auto& command_line = std::get<vellmor::cli::TCommandLine>(parsed);
  using vellmor::Command;
  // A command that answers with a reply alone needs nothing of the runner's own.
  if (vellmor::CommandInfo(command_line.Which).Handler != nullptr) {
    return vellmor::cli::RunReplyCommand(command_line, separator);
  }
  switch (command_line.Which) {
    case Command::kSweep:
      return vellmor::cli::RunSweepCommand(command_line, separator);
    case Command::kMerge:
      return vellmor::cli::RunMergeCommand(command_line, separator);
    case Command::kSolve:
      return vellmor::cli::RunSolveCommand(command_line, separator);
    case Command::kFit:
      return vellmor::cli::RunFitCommand(command_line, separator);
    case Command::kRun:
    case Command::kModel:
    case Command::kStability:
    case Command::kBundle:
      break;
  }
  return vellmor::cli::RunCase(command_line, separator);
}
