#pragma once

#include "cli/command_line.h"

namespace vellmor::cli {

// Exit statuses of a run, so scripts can tell a refused case from a failed calculation.
inline constexpr int kExitSucceeded = 0;
inline constexpr int kExitRefused = 1;  // inputs or result file refused; no file touched
inline constexpr int kExitFailed = 2;   // calculation or writing failed after the header

// Runs the case: the summary goes to standard output, the run's one message on failure to
// standard error. Returns the exit status.
int RunCase(const TCommandLine& command_line);

}  // namespace vellmor::cli
