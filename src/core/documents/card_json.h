#pragma once

// A model card from the model object a document carries (solve's and fit's JSON): read by
// the card's own reader, JSON being YAML, so that it is checked as a card file is and what it
// leaves out takes the built-in value with a warning that names it.

#include <nlohmann/json.hpp>

#include <string_view>

#include "vellmor/model_card/model_card.h"

namespace vellmor {

OrCardProblem<TReadCard> ReadCardJson(const nlohmann::json& model, std::string_view source);

}  // namespace vellmor
