#include "vellmor/report/result_rows.h"

#include <algorithm>
#include <cstddef>

#include "vellmor/inputs/spinline_points.h"

namespace vellmor {

std::vector<TResultRow> ResultRowsOf(const TSpinCondition& condition, TSpinlineProfile& profile) {
  const int last_point = std::min(profile.ZoneEndPoint[3], MaxPoints);
  std::vector<TResultRow> rows;
  rows.reserve(static_cast<std::size_t>(std::max(last_point, 0)));
  for (int p = 1; p <= last_point; ++p) rows.push_back(MakeResultRow(condition, profile, p));
  return rows;
}

}  // namespace vellmor
