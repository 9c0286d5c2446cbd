#pragma once

#include "cli/command_line.h"

namespace vellmor::cli {

// Exit statuses of a run, so scripts can tell a refused case from a failed calculation.
inline constexpr int kExitSucceeded = 0;
inline constexpr int kExitRefused = 1;  // inputs or result file refused; no file touched
inline constexpr int kExitFailed = 2;   // calculation or writing failed after the header
// The run succeeded but an export (--json, --csv) could not be written: EX_CANTCREAT of
// sysexits.h, "cannot create output file".
inline constexpr int kExitExportFailed = 73;

// Runs the case: the summary goes to standard output (to standard error when an export takes
// standard output), the run's one message on failure to standard error; then writes the
// exports asked for. Returns the exit status.
int RunCase(const TCommandLine& command_line);

}  // namespace vellmor::cli
