#pragma once

// What the bundle command prints: the card, the layout, one line per row, the spread and the
// energy balance, numbers with the user's decimal separator.

#include <string>

#include "vellmor/bundle/bundle_run.h"
#include "vellmor/model_card/model_card.h"

namespace vellmor {

// The summary of a solved bundle.
std::string BundleSummary(const ModelCard& card, const TBundleRun& run, char decimal_separator);

}  // namespace vellmor
