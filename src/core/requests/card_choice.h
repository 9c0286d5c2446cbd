#pragma once

// The model card a request asks for: the built-in one or a card's text, then settings
// "KEY=VALUE" applied in order.

#include <optional>
#include <string>
#include <vector>

#include "vellmor/model_card/model_card.h"
#include "vellmor/requests/request_values.h"

namespace vellmor {

struct TCardChoice {
  std::optional<TSource> File;        // none: the built-in card
  std::vector<std::string> Settings;  // after the card is read
};

// The choice of the parameters model and model_set.
TCardChoice CardChoiceOf(RequestReader& reader);

struct TLoadedCard {
  ModelCard Card;
  std::vector<std::string> Warnings;  // what the reader said of a card it took
};

// The card chosen, or the problem that refuses it (kUnreadable for a file that cannot be read,
// kRefused for a card or setting whose key or value is wrong, naming the file and line).
OrRequestProblem<TLoadedCard> LoadCard(const TCardChoice& choice, const TRequestContext& context);

}  // namespace vellmor
