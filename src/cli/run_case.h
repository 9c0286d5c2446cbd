#pragma once

#include "cli/command_line.h"

namespace vellmor::cli {

// Runs the single case of the command line: the summary on standard output (standard error
// when an output takes standard output), messages on standard error. Returns the exit status.
int RunCase(const TCommandLine& command_line, char decimal_separator);

}  // namespace vellmor::cli
