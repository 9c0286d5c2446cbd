// vellmor-cli: one spinline run from the command line, the window's input fields as options.

#include <variant>

#include "cli/command_line.h"
#include "cli/run_case.h"
#include "core/inputs/user_number_format.h"

int main(int argc, char** argv) {
  const auto parsed = vellmor::cli::ParseCommandLine(argc, argv, vellmor::UserDecimalSeparator());
  if (const int* exit_status = std::get_if<int>(&parsed)) return *exit_status;
  return vellmor::cli::RunCase(std::get<vellmor::cli::TCommandLine>(parsed));
}
