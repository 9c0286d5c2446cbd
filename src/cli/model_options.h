#pragma once

#include <string>
#include <variant>
#include <vector>

#include "core/model_card/model_card.h"

namespace CLI {
class App;
class Option;
}  // namespace CLI

namespace vellmor::cli {

// The model card a call asks for: a file (empty for the built-in card), then settings
// "KEY=VALUE" applied in order.
struct TModelChoice {
  std::string File;
  std::vector<std::string> Settings;
};

// Adds --model and --model-set to app; returns --model, whose empty name the caller refuses.
CLI::Option* AddModelOptions(CLI::App& app, TModelChoice& choice);

// The card chosen, or the one line that refuses it (the file cannot be read, a key or value
// is wrong, with the file's line). The keys the file leaves out are named on standard error.
std::variant<ModelCard, std::string> LoadModelCard(const TModelChoice& choice);

}  // namespace vellmor::cli
