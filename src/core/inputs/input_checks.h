#pragma once

#include <optional>
#include <string_view>

#include "core/inputs/spin_condition.h"
#include "core/inputs/spinline_points.h"

namespace vellmor {

// The thirteen range checks in their fixed order: the message of the first one that fails,
// or nullopt when all pass.
std::optional<std::string_view> FailedCheck(const TSpinCondition& condition);

// The refusal of a profile that does not fit the solver (more than MaxPoints points or fewer
// than two), or nullopt when it fits. Made after the thirteen checks.
std::optional<std::string_view> FailedPointCount(const TSpinCondition& condition);

}  // namespace vellmor
