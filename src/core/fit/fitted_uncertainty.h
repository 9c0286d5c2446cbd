#pragma once

// What a fit knew of its constants, as the card it wrote carries it on.

#include <optional>

#include "vellmor/fit/spinline_fit.h"
#include "vellmor/model_card/card_uncertainty.h"

namespace vellmor {

// The fitted constants, their estimates and covariance in their own units, the degrees of
// freedom and the residual scale; none where the fit has no sound covariance.
std::optional<TCardUncertainty> FittedUncertainty(const TFitResult& result);

}  // namespace vellmor
