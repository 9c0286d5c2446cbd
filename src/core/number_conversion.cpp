#include "core/number_conversion.h"

namespace vellmor {

std::optional<double> ConvertNumber(std::string_view, char) { return std::nullopt; }

}  // namespace vellmor
