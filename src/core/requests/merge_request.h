#pragma once

// The merge of a sweep's shard summaries into the summary one run would have written, byte
// for byte, as a request.

#include <optional>
#include <string>
#include <vector>

#include "vellmor/requests/request_values.h"

namespace vellmor {

struct MergeRequest {
  std::vector<TSource> Shards;
  std::string Output;  // empty: standard output (with standard streams) or memory
  bool AllowMissing = false;

  static OrRequestProblem<MergeRequest> From(const TRequestValues& values,
                                             const TRequestContext& context);
};

struct MergeResponse {
  enum class End {
    kMerged,
    kRefused,     // the shards do not make the sweep (missing cases unless allowed)
    kUnreadable,  // a shard or its record can not be read
    kCantWrite,   // the summary could not be written
  };
  End Ending = End::kMerged;
  std::string Message;               // why it did not merge
  std::string Summary;               // the merged summary, when it went to memory
  std::vector<std::size_t> Missing;  // the cases no shard holds (with AllowMissing)
  std::string MissingMessage;        // "3 cases are in no shard: 2, 5, 8" where some are
};

MergeResponse Execute(const MergeRequest& request, const TRequestContext& context);

}  // namespace vellmor
