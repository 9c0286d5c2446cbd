#pragma once

#include "cli/command_line.h"
#include "cli/exit_status.h"

namespace vellmor::cli {

// Exit statuses of vellmor-cli sweep (sysexits.h where one fits).
inline constexpr int kSweepExitDone = 0;            // every case ran, whatever its status
inline constexpr int kSweepExitUsage = kExitUsage;  // EX_USAGE: nothing was run or written
inline constexpr int kSweepExitSoftware = 70;       // EX_SOFTWARE: out of memory, no thread
inline constexpr int kSweepExitCantWrite =
    kExitExportFailed;  // EX_CANTCREAT: summary or result directory
inline constexpr int kSweepExitInterrupted =
    130;  // a stop signal (SIGINT, SIGTERM, …): 128 + SIGINT

// vellmor-cli sweep: the cases of the command line on every core, one summary line each, the
// ranges' texts written with decimal_separator; with --slurm-script the job script instead.
// Returns the exit status.
int RunSweepCommand(const TCommandLine& command_line, char decimal_separator);

}  // namespace vellmor::cli
