#pragma once

namespace vellmor::cli {

// Exit statuses of the runner, so scripts can tell a refused case from a failed calculation
// and both from a mistyped command.
inline constexpr int kExitSucceeded = 0;
inline constexpr int kExitRefused = 1;  // inputs or result file refused; no file touched
inline constexpr int kExitFailed = 2;   // calculation or writing failed after the header
inline constexpr int kExitUsage = 64;   // the command line itself is wrong (EX_USAGE)
// The data given are of a kind the line can not give (a fit's measurements in another unit):
// EX_DATAERR of sysexits.h.
inline constexpr int kExitDataError = 65;
// An output other than the result file (an export, a sweep's summary or result directory)
// could not be written: EX_CANTCREAT of sysexits.h, "cannot create output file".
inline constexpr int kExitExportFailed = 73;
// The run succeeded but its summary could not be printed (a closed or broken standard output):
// EX_IOERR of sysexits.h.
inline constexpr int kExitSummaryLost = 74;

}  // namespace vellmor::cli
