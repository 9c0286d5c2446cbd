#pragma once

// vellmor-cli sweep merge SHARD.csv... [--output FILE|-] [--allow-missing]: the shard summaries
// of one sweep merged into the summary one run would have written, byte for byte.

#include "cli/command_line.h"

namespace vellmor::cli {

inline constexpr int kMergeExitRefused = 65;  // EX_DATAERR: shards that do not make the sweep
inline constexpr int kMergeExitNoInput = 66;  // EX_NOINPUT: a shard or its record unreadable

int RunMergeCommand(const TCommandLine& command_line, char decimal_separator);

}  // namespace vellmor::cli
