#include "vellmor/documents/card_json.h"

namespace vellmor {

OrCardProblem<TReadCard> ReadCardJson(const nlohmann::json& model, std::string_view source) {
  if (!model.is_object()) {
    return TCardProblem{
        std::string(source) + ": the model is no card", std::string(source), 0, {}, {}};
  }
  // One key a line, so that a problem's line is the key's.
  return ReadModelCard(model.dump(1), source);
}

}  // namespace vellmor
