#include "vellmor/requests/card_choice.h"

namespace vellmor {
namespace {

// A card is a page of text; anything far larger is another file given by mistake.
constexpr std::size_t kMaxCardBytes = 1 << 20;

}  // namespace

TCardChoice CardChoiceOf(RequestReader& reader) {
  return {reader.Source("model"), reader.Texts("model_set")};
}

OrRequestProblem<TLoadedCard> LoadCard(const TCardChoice& choice, const TRequestContext& context) {
  TLoadedCard loaded;
  if (choice.File) {
    auto text =
        ReadSource(context, "model", *choice.File, kMaxCardBytes, "1 MiB, which no model card is");
    if (auto* problem = std::get_if<TRequestProblem>(&text)) return std::move(*problem);
    auto read = ReadModelCard(std::get<std::string>(text), choice.File->Name);
    if (auto* problem = std::get_if<TCardProblem>(&read)) {
      return TRequestProblem{ProblemKind::kRefused, "model", problem->Message, *problem};
    }
    TReadCard& card = std::get<TReadCard>(read);
    loaded.Card = std::move(card.Card);
    for (TCardWarning& warning : card.Warnings)
      loaded.Warnings.push_back(std::move(warning.Message));
  }
  if (auto problem = ApplyModelSettings(loaded.Card, choice.Settings)) {
    TRequestProblem refused = ProblemWith(context.Spell, "model_set", problem->Setting,
                                          problem->Message, ProblemKind::kRefused);
    refused.Card = std::move(*problem);
    return refused;
  }
  return loaded;
}

}  // namespace vellmor
