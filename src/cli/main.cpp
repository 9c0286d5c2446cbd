// vellmor-cli: one spinline run from the command line, the window's input fields as options;
// "vellmor-cli sweep ..." runs many.

#include <string_view>
#include <variant>

#include "cli/command_line.h"
#include "cli/process_signals.h"
#include "cli/run_case.h"
#include "cli/sweep_command.h"
#include "core/inputs/user_number_format.h"

int main(int argc, char** argv) {
  vellmor::cli::PrepareProcess();
  if (argc > 1 && std::string_view(argv[1]) == "sweep") {
    return vellmor::cli::RunSweepCommand(argc - 1, argv + 1);
  }
  const auto parsed = vellmor::cli::ParseCommandLine(argc, argv, vellmor::UserDecimalSeparator());
  if (const int* exit_status = std::get_if<int>(&parsed)) return *exit_status;
  return vellmor::cli::RunCase(std::get<vellmor::cli::TCommandLine>(parsed));
}
