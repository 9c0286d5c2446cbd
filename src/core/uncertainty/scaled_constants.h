#pragma once

// The card's uncertain constants on the scale each was fitted on (its logarithm where the fit
// took it so), centred on the card's values, and a case solved again with other values of
// them. Internal to the propagation of uncertainty.

#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "vellmor/model_card/card_uncertainty.h"
#include "vellmor/model_card/model_key.h"
#include "vellmor/uncertainty/normal_draws.h"
#include "vellmor/uncertainty/propagation.h"

namespace vellmor::uncertainty {

struct TScaledConstants {
  std::vector<const TModelKey*> Keys;
  std::vector<bool> Log;
  std::vector<double> Centre;  // u = ln p or p, of the card's values
  TMatrix Covariance;          // of u
};

// The constants of uncertainty in the case's card; or the message why they can not be used (a
// key the card does not have as a number, a logarithm of a value that is not positive).
// A card value other than the fit's estimate is warned of: the intervals are about the card's.
std::variant<TScaledConstants, std::string> ScaledConstants(const TCardUncertainty& uncertainty,
                                                            const TModelConstants& model,
                                                            std::vector<std::string>& warnings);

// The case's answers with the constants at u (their fitting scale), solved from the case's
// spinneret tension; nullopt with why when a value is outside its key's range or the model
// can not solve it.
std::optional<TAnswers> SolveWith(const TUncertainCase& solved, const TScaledConstants& constants,
                                  const std::vector<double>& u, std::string& why);

}  // namespace vellmor::uncertainty
