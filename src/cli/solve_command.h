#pragma once

#include "cli/command_line.h"

namespace vellmor::cli {

// vellmor-cli solve: the summary (and the elasticities) on standard output, or on standard
// error where an export takes standard output; a refused card or input, or a failed solution,
// as one message on standard error. Returns the exit status.
int RunSolveCommand(const TCommandLine& command_line, char decimal_separator);

}  // namespace vellmor::cli
