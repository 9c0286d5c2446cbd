// vellmor-cli: one spinline run from the command line, the window's input fields as options;
// "vellmor-cli sweep ..." runs many, "vellmor-cli solve ..." the converged model.

#include <variant>

#include "cli/command_line.h"
#include "cli/process_signals.h"
#include "cli/run_case.h"
#include "cli/sweep_command.h"
#include "core/inputs/user_number_format.h"

int main(int argc, char** argv) {
  vellmor::cli::PrepareProcess();
  const char separator = vellmor::UserDecimalSeparator();
  const auto parsed = vellmor::cli::ParseCommandLine(argc, argv, separator);
  if (const int* exit_status = std::get_if<int>(&parsed)) return *exit_status;
  if (const auto* sweep = std::get_if<vellmor::cli::TSweepRequest>(&parsed)) {
    return vellmor::cli::RunSweepCommand(*sweep, separator);
  }
  if (const auto* solve = std::get_if<vellmor::cli::TSolveRequest>(&parsed)) {
    return vellmor::cli::RunSolveCommand(*solve, separator);
  }
  if (const auto* fit = std::get_if<vellmor::cli::TFitRequest>(&parsed)) {
    return vellmor::cli::RunFitCommand(*fit, separator);
  }
  if (const auto* merge = std::get_if<vellmor::cli::TMergeRequest>(&parsed)) {
    return vellmor::cli::RunMergeCommand(*merge);
  }
  if (const auto* model = std::get_if<vellmor::cli::TModelChoice>(&parsed)) {
    return vellmor::cli::RunModelCommand(*model);
  }
  return vellmor::cli::RunCase(std::get<vellmor::cli::TCommandLine>(parsed));
}
