#pragma once

// vellmor-cli sweep merge SHARD.csv... [--output FILE|-] [--allow-missing]: the shard summaries
// of one sweep merged into the summary one run would have written, byte for byte.

#include <string>
#include <variant>
#include <vector>

namespace vellmor::cli {

inline constexpr int kMergeExitRefused = 65;  // EX_DATAERR: shards that do not make the sweep
inline constexpr int kMergeExitNoInput = 66;  // EX_NOINPUT: a shard or its record unreadable

struct TMergeRequest {
  std::vector<std::string> Shards;
  std::string Output = "-";
  bool AllowMissing = false;
};

// Reads `vellmor-cli sweep merge …` (argv[1] "sweep", argv[2] "merge"): the request, or the
// exit status of --help or of a usage error, printed.
std::variant<TMergeRequest, int> ParseMergeCommand(int argc, const char* const* argv);

int RunMergeCommand(const TMergeRequest& request);

}  // namespace vellmor::cli
