#pragma once

#include "cli/command_line.h"
#include "cli/exit_status.h"

namespace vellmor::cli {

// Runs the case: the summary goes to standard output (to standard error when an export takes
// standard output), the run's one message on failure to standard error. After a successful
// run, the converged solution when it is wanted: its line after the summary, or its failure on
// standard error, which changes neither the result file nor the exit status. Then writes the
// exports asked for. Returns the exit status.
int RunCase(const TCommandLine& command_line);

}  // namespace vellmor::cli
