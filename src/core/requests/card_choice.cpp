#include "core/requests/card_choice.h"

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
      return TRequestProblem{ProblemKind::kRefused, "model", std::move(problem->Message)};
    }
    loaded.Card = std::get<ModelCard>(std::move(read));
  }
  for (const std::string& setting : choice.Settings) {
    if (auto problem = ApplyModelSetting(loaded.Card, setting)) {
      // The setting's reason after the setting itself, in the front end's spelling.
      const std::string shown = "--model-set " + setting + ": ";
      std::string why = problem->Message.starts_with(shown) ? problem->Message.substr(shown.size())
                                                            : problem->Message;
      return ProblemWith(context.Spell, "model_set", setting, why, ProblemKind::kRefused);
    }
  }
  return loaded;
}

}  // namespace vellmor
