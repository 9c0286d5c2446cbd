#pragma once

// The intervals a request asks for: by the card (delta where the card carries an uncertainty
// section, none otherwise), by a method named, or none.

#include <cstdint>
#include <optional>

#include "vellmor/model_card/model_card.h"
#include "vellmor/requests/request_values.h"
#include "vellmor/uncertainty/propagation.h"

namespace vellmor {

struct TIntervalChoice {
  enum class Method { kByCard, kDelta, kMonteCarlo, kNone };
  Method Asked = Method::kByCard;
  int Samples = 1000;
  std::uint64_t Seed = 1;
};

// The choice of the parameters uncertainty, samples and seed.
TIntervalChoice IntervalChoiceOf(RequestReader& reader);

// The settings for a card: none when no intervals are asked for or the card has none to give
// by default; the problem when a method is named and the card has no uncertainty section.
OrRequestProblem<std::optional<TUncertaintySettings>> IntervalSettings(
    const TIntervalChoice& choice, const ModelCard& card, const TRequestContext& context);

}  // namespace vellmor
