#include "core/input_checks.h"

namespace vellmor {

std::optional<std::string_view> FailedCheck(const TSpinCondition&) { return std::nullopt; }
std::optional<std::string_view> FailedPointCount(const TSpinCondition&) { return std::nullopt; }

}  // namespace vellmor
