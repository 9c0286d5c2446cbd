#include "cli/model_options.h"

#include <CLI/CLI.hpp>

#include <iostream>
#include <optional>

#include "cli/arguments.h"
#include "cli/console_output.h"

namespace vellmor::cli {

CLI::Option* AddModelOptions(CLI::App& app, TModelChoice& choice) {
  CLI::Option* model =
      app.add_option("--model", choice.File,
                     "The model card (YAML) of the converged model; vellmor-cli model prints the "
                     "built-in one to start from")
          ->type_name("FILE");
  app.add_option("--model-set", choice.Settings,
                 "Set one constant of the card, after --model (repeatable): "
                 "--model-set heat_transfer.factor=2e-4")
      ->type_name("KEY=VALUE")
      ->expected(1)
      ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
  return model;
}

std::variant<ModelCard, std::string> LoadModelCard(const TModelChoice& choice) {
  ModelCard card;
  if (!choice.File.empty()) {
    // A card is a page of text; anything far larger is another file given by mistake.
    constexpr std::size_t kMaxCardBytes = 1 << 20;
    const std::optional<std::string> text = ReadWholeFile(choice.File, kMaxCardBytes);
    if (!text) return "--model " + choice.File + ": the file can not be read";
    if (text->size() > kMaxCardBytes) {
      return "--model " + choice.File + ": larger than 1 MiB, which no model card is";
    }
    auto read = ReadModelCard(*text, choice.File);
    if (auto* problem = std::get_if<TCardProblem>(&read)) return std::move(problem->Message);
    TReadCard& card_read = std::get<TReadCard>(read);
    // What the card left out takes the built-in values: said, and solved.
    StreamSink sink(std::cerr);
    for (const TCardWarning& warning : card_read.Warnings) sink.ShowMessage(warning.Message);
    card = std::move(card_read.Card);
  }
  if (auto problem = ApplyModelSettings(card, choice.Settings)) return std::move(problem->Message);
  return card;
}

}  // namespace vellmor::cli
