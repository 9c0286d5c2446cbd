#pragma once

// The documents a request writes, each to the place its parameter names, through the one
// writer of every output; and the rule that no two of a request's outputs share a place.

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "vellmor/requests/request_values.h"

namespace vellmor {

// An output of a request: its parameter's key and the name given (empty: none).
struct TOutputPlace {
  std::string_view Key;
  std::string Name;
};

// The first pair of outputs that would land in one place: both on standard output, or both
// naming one file (through links and "./"). save_file, the classical result file, is one of
// them where it is given; an export on it would replace it.
std::optional<TRequestProblem> SharedPlace(std::span<const TOutputPlace> outputs,
                                           const TRequestContext& context);

// Refuses, before anything runs, an output that lands where another output does (SharedPlace)
// or on a file the request reads (by the file's identity: through links and "../"), which it
// would replace: a model card, measurements, cases, a shard.
void CheckPlaces(RequestReader& reader, std::span<const TOutputPlace> outputs);

// Writes contents whole to the output's place, "-" being standard output where the context
// has standard streams; the message when that failed ("Can not write the JSON export file
// out.json: No space left on device").
std::optional<std::string> WriteDocument(const TOutputPlace& output, std::string_view contents,
                                         const TRequestContext& context);

// Whether an output is written where it is (a pipe, a FIFO, a device, standard output) rather
// than renamed into place: a stop signal must not wait for such a reader.
bool WrittenInPlace(const TOutputPlace& output, const TRequestContext& context);

}  // namespace vellmor
