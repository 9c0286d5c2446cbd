#include "vellmor/model_card/key_suggestion.h"

#include <algorithm>
#include <numeric>
#include <vector>

namespace vellmor {

std::size_t EditDistance(std::string_view a, std::string_view b) {
  // One row of the table at a time: row[j] is the distance of a's prefix to b's first j.
  std::vector<std::size_t> row(b.size() + 1);
  std::iota(row.begin(), row.end(), std::size_t{0});
  for (std::size_t i = 1; i <= a.size(); ++i) {
    std::size_t diagonal = row[0];
    row[0] = i;
    for (std::size_t j = 1; j <= b.size(); ++j) {
      const std::size_t above = row[j];
      row[j] = std::min({above + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
      diagonal = above;
    }
  }
  return row[b.size()];
}

std::optional<std::string_view> NearestName(std::string_view name,
                                            std::span<const std::string_view> known) {
  std::optional<std::string_view> nearest;
  std::size_t best = 0;
  for (const std::string_view candidate : known) {
    const std::size_t distance = EditDistance(name, candidate);
    if (distance > std::max<std::size_t>(2, candidate.size() / 3)) continue;
    if (!nearest || distance < best) nearest = candidate, best = distance;
  }
  if (nearest || name.size() < 3) return nearest;
  for (const std::string_view candidate : known) {
    if (candidate.starts_with(name) && (!nearest || candidate.size() < nearest->size())) {
      nearest = candidate;
    }
  }
  return nearest;
}

}  // namespace vellmor
