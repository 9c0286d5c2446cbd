#pragma once

// The model card: every constant of the converged spinline model under a name the user can
// read and change, one section per law, the unit in each key (docs/model-card.md):
//
//   version: 3
//   name: PET, built-in correlations
//   density:
//     intercept_g_cm3: 1.36        # rho = intercept - slope T
//   …
//   gravity_cm_s2: 980
//
// A key is named by its dotted path ("heat_transfer.factor"); model_key.h holds the table of
// them. The built-in card holds the correlations of the classical model, so that it
// reproduces them exactly. π (3.1415926) and the kelvin offset (273) are the model's own and
// not on the card.

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "vellmor/model_card/card_number.h"
#include "vellmor/model_card/card_uncertainty.h"
#include "vellmor/model_card/model_key.h"

namespace vellmor {

// The version of the card's format that this program writes and the newest it reads. A card
// without a version is of version 1, whose keys are those of version 2. Version 3 brought the
// saturating birefringence, the built-in law since: a card of an earlier version that does
// not name its structure.birefringence_law keeps the linear law it was solved with.
inline constexpr int kModelCardVersion = 3;
inline constexpr int kSaturatingBirefringenceVersion = 3;

inline constexpr std::string_view kBuiltInCardName = "PET, built-in correlations";

// What is wrong with a card, a --model-set or a card key, as one line for the user:
// "card.yaml:4: viscosity.factor_P: must be above 0, not -0.273".
struct TCardProblem {
  std::string Message;
  std::string Source;   // the card's file name, or kSettingSource for a setting
  int Line = 0;         // 1-based; 0 for the card as a whole or a setting
  std::string Key;      // the dotted path of the constant it is about; empty if none
  std::string Setting;  // the setting that was refused ("heat_transfer.factr=1"); else empty
};

template <class T>
using OrCardProblem = std::variant<T, TCardProblem>;

// What a card read with, though it was read: the keys it left out, which keep their built-in
// values ("card.yaml: air_drag.factor not given: the built-in value is used").
struct TCardWarning {
  std::string Message;
  std::string Source;             // the card's file name
  std::vector<std::string> Keys;  // the dotted paths left out, in the card's order
};

// A card: a name and the constants.
class ModelCard {
 public:
  // The built-in card.
  ModelCard() = default;

  const std::string& Name() const { return name_; }
  void SetName(std::string name) { name_ = std::move(name); }
  const TModelConstants& Constants() const { return constants_; }

  // A key's value, of its kind.
  TKeyValue Get(const TModelKey& key) const { return KeyValue(constants_, key); }
  void Set(const TModelKey& key, const TKeyValue& value) { SetKeyValue(constants_, key, value); }
  // A number's value as a double; setting it widens it for the exit's arithmetic.
  double Value(const TModelKey& key) const { return ModelValue(constants_, key); }
  void SetValue(const TModelKey& key, double value) { SetModelValue(constants_, key, value); }
  // The value as the card writes it.
  std::string Text(const TModelKey& key) const { return KeyValueText(key, Get(key)); }
  // The value from its text in the key's grammar (a number read by each arithmetic itself).
  // False, and the card as it was, when the text is not of the key's kind. No range check.
  bool SetText(const TModelKey& key, std::string_view text);

  // What the fit that made the card knew of its constants; none for a card of no fit.
  const std::optional<TCardUncertainty>& Uncertainty() const { return uncertainty_; }
  void SetUncertainty(std::optional<TCardUncertainty> uncertainty) {
    uncertainty_ = std::move(uncertainty);
  }

  friend bool operator==(const ModelCard&, const ModelCard&) = default;

 private:
  std::string name_ = std::string(kBuiltInCardName);
  TModelConstants constants_;
  std::optional<TCardUncertainty> uncertainty_;
};

// The first constant whose value makes its law meaningless, and why: a number outside its
// key's range ("must be above 0, not -0.273"), or a law of two keys that fails (a density or a
// specific heat that is not positive somewhere from 0 to 400 °C); nullopt when every law
// makes sense.
struct TMeaninglessValue {
  const TModelKey* Key;
  std::string Why;
};
std::optional<TMeaninglessValue> MeaninglessValue(const ModelCard& card);

// A card read, and what it was read with.
struct TReadCard {
  ModelCard Card;
  std::vector<TCardWarning> Warnings;
};

// Reads a card from YAML text. Each key given once, of its kind (a plain YAML number, true or
// false, a name); a key or a whole section left out keeps its built-in value and is named in
// a warning, but a card of a version before kSaturatingBirefringenceVersion keeps the linear
// birefringence, in a warning of its own; name is optional (the source's name then), and so is
// version (1 then; a newer version than kModelCardVersion is refused). An unknown key is refused
// with the nearest known one. Problems name the source, the line and the key.
OrCardProblem<TReadCard> ReadModelCard(std::string_view yaml, std::string_view source_name);

// Sets key to text (the key's grammar: a card number with a point, true or false, a name) and
// checks the law it changes; card is left as it was when that refuses it, and the reason is
// returned ("not a number: abc", "must be above 0, not -1", or another key's reason after its
// path). The name stays.
std::optional<std::string> ApplyCardText(ModelCard& card, const TModelKey& key,
                                         std::string_view text);

// The source of a card problem that a setting, not a card's file, caused.
inline constexpr std::string_view kSettingSource = "model_set";

// Applies one setting "KEY=VALUE" to card and checks the law it changes; the card's name then
// says so (ChangedCardName). "name=TEXT" names the card. A refusal's message is the reason
// alone ("unknown key; did you mean heat_transfer.factor?"): the request that gave the
// setting shows it after the setting, in its front end's spelling.
std::optional<TCardProblem> ApplyModelSetting(ModelCard& card, std::string_view setting);
// Applies settings in order; a name among them is the card's name in the end, whatever
// settings follow it.
std::optional<TCardProblem> ApplyModelSettings(ModelCard& card,
                                               std::span<const std::string> settings);

// The name of a card changed by key=value_text: the name's first part (the material, up to
// its first ", ") keeps what still holds of the rest, less "built-in correlations" and an
// earlier value of the same key, and gains the setting:
// "PET, built-in correlations" → "PET, heat_transfer.factor=0.0002".
std::string ChangedCardName(std::string_view name, const TModelKey& key,
                            std::string_view value_text);
// The name of a card fitted to the measurements of measured_file (named by its base name) on
// date ("2026-12-10", the caller's: the core has no clock), with the paths fitted:
// "PET, built-in correlations" → "PET, fitted to line.csv on 2026-12-10". An earlier fit and
// the settings of the constants fitted give way to it.
std::string FittedCardName(std::string_view name, std::span<const std::string_view> fitted,
                           std::string_view measured_file, std::string_view date);

// The card as YAML with a comment per law and per constant: what `vellmor-cli model` prints,
// a template to edit, of version kModelCardVersion. Reading it back gives the same card, every
// double to the bit.
std::string ModelCardYaml(const ModelCard& card);

}  // namespace vellmor
