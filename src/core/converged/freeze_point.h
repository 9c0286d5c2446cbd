#pragma once

#include <optional>
#include <span>

namespace vellmor {

// Where the filament of a sampled profile first falls below the glass point of 70 °C (cm):
// between the first pair of points with t[p-1] ≥ 70 > t[p], by linear interpolation in t;
// 0 when the first point is already below 70 °C; empty when no point is. x and t hold the
// positions (cm) and temperatures (°C) of the same points, in order along the line.
std::optional<double> SampledFreezePoint(std::span<const double> x, std::span<const double> t);

}  // namespace vellmor
