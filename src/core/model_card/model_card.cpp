// A card's values from texts: a key's own grammar, then the laws it changes.

#include "vellmor/model_card/model_card.h"

#include <vector>

#include "vellmor/model_card/key_suggestion.h"

namespace vellmor {

bool ModelCard::SetText(const TModelKey& key, std::string_view text) {
  const std::optional<TKeyValue> value = KeyValueOfText(key, text);
  if (!value) return false;
  Set(key, *value);
  return true;
}

std::optional<std::string> ApplyCardText(ModelCard& card, const TModelKey& key,
                                         std::string_view text) {
  ModelCard changed = card;
  if (!changed.SetText(key, text)) return NotOfKind(key, text);
  if (const std::optional<TMeaninglessValue> meaningless = MeaninglessValue(changed)) {
    std::string why;
    if (meaningless->Key != &key) why = std::string(meaningless->Key->Path) + ": ";
    return why + meaningless->Why;
  }
  card = std::move(changed);
  return std::nullopt;
}

namespace {

// The keys a setting may name, for the suggestion of a mistyped one.
std::vector<std::string_view> SettingNames() {
  std::vector<std::string_view> names{"name"};
  for (const TModelKey& key : kModelKeys) names.push_back(key.Path);
  return names;
}

}  // namespace

std::optional<TCardProblem> ApplyModelSetting(ModelCard& card, std::string_view setting) {
  const std::size_t equals = setting.find('=');
  if (equals == std::string_view::npos) {
    return TCardProblem{
        "expected KEY=VALUE", std::string(kSettingSource), 0, {}, std::string(setting)};
  }
  const std::string_view path = setting.substr(0, equals);
  const std::string_view text = setting.substr(equals + 1);
  if (path == "name") {
    card.SetName(std::string(text));
    return std::nullopt;
  }
  const auto problem = [&path, setting](std::string_view what, bool known) {
    return TCardProblem{std::string(what), std::string(kSettingSource), 0,
                        known ? std::string(path) : std::string(), std::string(setting)};
  };
  const TModelKey* key = FindModelKey(path);
  if (key == nullptr) {
    const std::vector<std::string_view> names = SettingNames();
    if (const std::optional<std::string_view> near = NearestName(path, names)) {
      return problem("unknown key; did you mean " + std::string(*near) + "?", false);
    }
    return problem("unknown key (the command model lists them)", false);
  }
  // The setting shows the text already.
  if (!KeyValueOfText(*key, text)) {
    return problem(key->IsNumber() ? "not a number" : KindWanted(*key), true);
  }
  if (const std::optional<std::string> why = ApplyCardText(card, *key, text)) {
    return problem(*why, true);
  }
  card.SetName(ChangedCardName(card.Name(), *key, card.Text(*key)));
  return std::nullopt;
}

std::optional<TCardProblem> ApplyModelSettings(ModelCard& card,
                                               std::span<const std::string> settings) {
  std::optional<std::string> name;
  for (const std::string& setting : settings) {
    if (std::optional<TCardProblem> problem = ApplyModelSetting(card, setting)) return problem;
    if (setting.starts_with("name=")) name = card.Name();
  }
  if (name) card.SetName(std::move(*name));
  return std::nullopt;
}

}  // namespace vellmor
