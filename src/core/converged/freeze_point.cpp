#include "core/converged/freeze_point.h"

#include <cassert>

#include "core/converged/local_spinline_system.h"

namespace vellmor {

std::optional<double> SampledFreezePoint(std::span<const double> x, std::span<const double> t) {
  assert(x.size() == t.size());
  if (t.empty()) return std::nullopt;
  if (t[0] < kFreezeTemperature) return 0.0;
  for (std::size_t p = 1; p < t.size(); ++p) {
    if (t[p - 1] >= kFreezeTemperature && t[p] < kFreezeTemperature) {
      const double share = (t[p - 1] - kFreezeTemperature) / (t[p - 1] - t[p]);
      return x[p - 1] + share * (x[p] - x[p - 1]);
    }
  }
  return std::nullopt;
}

}  // namespace vellmor
