#pragma once

// The answers' derivatives with respect to the card's uncertain constants, on their fitting
// scale, from the converged model's exact derivatives (converged_derivatives.h). Internal to
// the propagation of uncertainty.

#include <optional>
#include <string>
#include <vector>

#include "vellmor/uncertainty/scaled_constants.h"

namespace vellmor::uncertainty {

using TFlat = std::vector<std::optional<double>>;

// derivative[i][a]: of answer a (in base's flat order) with respect to u_i; an answer none is
// exact for is absent: the peak strain rate and where it is, the onset of crystallization, the
// heat-transfer coefficient along the line. nullopt with why when the derivatives can not be
// formed or one through the structure is not exact.
std::optional<std::vector<TFlat>> ExactDerivatives(const TUncertainCase& solved,
                                                   const TScaledConstants& constants,
                                                   const TAnswers& base, std::string& why);

}  // namespace vellmor::uncertainty
