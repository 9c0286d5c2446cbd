#include "vellmor/requests/interval_choice.h"

#include <string>
#include <string_view>

namespace vellmor {

TIntervalChoice IntervalChoiceOf(RequestReader& reader) {
  using Method = TIntervalChoice::Method;
  TIntervalChoice choice;
  if (reader.Given("uncertainty")) {
    const std::string method = reader.Text("uncertainty");
    if (method == "delta") {
      choice.Asked = Method::kDelta;
    } else if (method == "monte-carlo") {
      choice.Asked = Method::kMonteCarlo;
    } else if (method == "none") {
      choice.Asked = Method::kNone;
    } else if (reader.Ok()) {
      reader.Refuse("uncertainty", method, "expected delta, monte-carlo or none",
                    ProblemKind::kUsage);
    }
  }
  choice.Samples = static_cast<int>(reader.Count("samples"));
  choice.Seed = static_cast<std::uint64_t>(reader.Count("seed"));
  for (const std::string_view key : {"samples", "seed"}) {
    if (reader.Ok() && reader.Given(key) && choice.Asked != Method::kMonteCarlo) {
      reader.Refuse(
          {ProblemKind::kUsage, std::string(key),
           reader.Spelled(key) + ": only with " + reader.Spelled("uncertainty") + " monte-carlo"});
    }
  }
  return choice;
}

OrRequestProblem<std::optional<TUncertaintySettings>> IntervalSettings(
    const TIntervalChoice& choice, const ModelCard& card, const TRequestContext& context) {
  using Method = TIntervalChoice::Method;
  const bool named = choice.Asked == Method::kDelta || choice.Asked == Method::kMonteCarlo;
  if (!card.Uncertainty()) {
    if (!named) return std::optional<TUncertaintySettings>();
    return TRequestProblem{ProblemKind::kRefused, "uncertainty",
                           context.Spell("uncertainty") + ": the card " + card.Name() +
                               " has no uncertainty section (a card the fit writes with " +
                               context.Spell("write_model") + " has one)"};
  }
  if (choice.Asked == Method::kNone) return std::optional<TUncertaintySettings>();
  TUncertaintySettings settings;
  settings.Method = choice.Asked == Method::kMonteCarlo ? UncertaintyMethod::kMonteCarlo
                                                        : UncertaintyMethod::kDelta;
  settings.Samples = choice.Samples;
  settings.Seed = choice.Seed;
  return std::optional<TUncertaintySettings>(settings);
}

}  // namespace vellmor
