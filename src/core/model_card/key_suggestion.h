#pragma once

// The known name a mistyped one was probably meant to be: "heat_transfer.factr" is
// heat_transfer.factor, "gravity" is gravity_cm_s2.

#include <cstddef>
#include <optional>
#include <span>
#include <string_view>

namespace vellmor {

// The Levenshtein distance: the fewest insertions, deletions and substitutions of one
// character that turn a into b.
std::size_t EditDistance(std::string_view a, std::string_view b);

// The known name nearest to name: the first at the smallest edit distance, if that distance is
// a slip (at most 2, or a third of the known name's length), or else the shortest known name
// that name begins (a key without its unit). nullopt when none is near.
std::optional<std::string_view> NearestName(std::string_view name,
                                            std::span<const std::string_view> known);

}  // namespace vellmor
