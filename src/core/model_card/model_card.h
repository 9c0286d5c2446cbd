#pragma once

// The model card: every constant of the converged spinline model under a name the user can
// read and change, one section per law, the unit in each key (docs/model-card.md):
//
//   name: PET, built-in correlations
//   density:
//     intercept_g_cm3: 1.36        # rho = intercept - slope T
//   …
//   gravity_cm_s2: 980
//
// A key is named by its dotted path ("heat_transfer.factor"). The built-in card holds the
// correlations of the classical model, so that it reproduces them exactly. π (3.1415926) and
// the kelvin offset (273) are the model's own and not on the card.

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include "core/physics/spinline_laws.h"
#include "core/structure/structure_laws.h"

namespace vellmor {

// The constants of the converged model twice: in the arithmetic of its laws (double), and in
// the x87 arithmetic of the spinneret exit, which the converged model shares with the
// classical march, so that both start from the same swollen filament.
struct TModelConstants {
  TSpinlineConstants<double> Laws = kBuiltInConstants;
  TSpinlineConstants<long double> Exit = kClassicalConstants;
  // The fibre's structure, which the spinline's own laws do not need.
  TStructureConstants Structure = kBuiltInStructure;

  friend bool operator==(const TModelConstants&, const TModelConstants&) = default;
};

// One constant of the card.
struct TModelKey {
  std::string_view Path;     // "heat_transfer.factor": section, a point, key; or a key alone
  std::string_view Meaning;  // what it is, with its unit
  std::string_view Source;   // where the built-in value comes from
  double TSpinlineConstants<double>::*Value;
  long double TSpinlineConstants<long double>::*Extended;
  // A constant of the fibre's structure instead, which the spinline's laws do not hold (and
  // Value and Extended are null).
  double TStructureConstants::*Structure = nullptr;

  bool IsStructure() const { return Structure != nullptr; }

  std::string_view Section() const;  // "heat_transfer"; empty for a key of the top level
  std::string_view Key() const;      // "factor"
};

// Every constant, in the card's order: the spinline's, then the structure's.
extern const std::array<TModelKey, 33> kModelKeys;

// The key of that path, or nullptr.
const TModelKey* FindModelKey(std::string_view path);

// The one switch of the card, not a number: whether the structure acts back on the line.
inline constexpr std::string_view kCoupledKey = "structure.coupled";
inline constexpr std::string_view kStructureSection = "structure";

// A constant of the card in the constants it sets.
double ModelValue(const TModelConstants& constants, const TModelKey& key);
// Sets it, the exit's arithmetic widened from the double.
void SetModelValue(TModelConstants& constants, const TModelKey& key, double value);

// What is wrong with a card, a --model-set or a card key, as one line for the user:
// "card.yaml:4: viscosity.factor_P: must be above 0, not -0.273".
struct TCardProblem {
  std::string Message;
  std::string Source;  // the card's file name, or "--model-set"
  int Line = 0;        // 1-based; 0 for the card as a whole or a setting
  std::string Key;     // the dotted path of the constant it is about; empty if none
};

template <class T>
using OrCardProblem = std::variant<T, TCardProblem>;

// A card: a name and the constants.
class ModelCard {
 public:
  // The built-in card.
  ModelCard() = default;

  const std::string& Name() const { return name_; }
  void SetName(std::string name) { name_ = std::move(name); }
  const TModelConstants& Constants() const { return constants_; }

  double Value(const TModelKey& key) const { return ModelValue(constants_, key); }
  // The value as a double; the exit's arithmetic gets it widened.
  void SetValue(const TModelKey& key, double value);
  // The value from its text in the card's grammar (a decimal number with a point), each
  // arithmetic reading it correctly rounded. False when the text is not such a number.
  bool SetText(const TModelKey& key, std::string_view text);

  bool Coupled() const { return constants_.Structure.Coupled; }
  void SetCoupled(bool coupled) { constants_.Structure.Coupled = coupled; }

  friend bool operator==(const ModelCard&, const ModelCard&) = default;

 private:
  std::string name_ = "PET, built-in correlations";
  TModelConstants constants_;
};

// A card's number: optional sign, digits with an optional point, optional exponent; no blanks
// (YAML has trimmed them), no infinity, no hexadecimal. nullopt when text is not one, or
// beyond a double's range.
std::optional<double> CardNumber(std::string_view text);

// The switch structure.coupled from its text: true or false, nothing else.
std::optional<bool> CoupledText(std::string_view text);

// The first constant whose value makes its law meaningless (a density or a specific heat that
// is not positive somewhere from 0 to 400 °C, a viscosity or swell factor that is not
// positive, …) and why, or nullopt when every law makes sense.
struct TMeaninglessValue {
  const TModelKey* Key;
  std::string Why;  // "must be above 0, not -0.273"
};
std::optional<TMeaninglessValue> MeaninglessValue(const ModelCard& card);

// Reads a card from YAML text: every section and key of the built-in card must be there once
// and hold a number (structure.coupled true or false); name is optional (the source's name
// then), and so is the section structure as a whole (cards written before it had one: the
// built-in structure then). Problems name the source, the
// line and the key.
OrCardProblem<ModelCard> ReadModelCard(std::string_view yaml, std::string_view source_name);

// Sets key to the number text (the card's grammar, a point decimal) and checks the law it
// changes; card is left as it was when that refuses it, and the reason is returned
// ("not a number: abc", "must be above 0, not -1", or another key's reason after its path).
std::optional<std::string> ApplyCardText(ModelCard& card, const TModelKey& key,
                                         std::string_view text);

// Applies one "KEY=VALUE" of --model-set to card, and checks the law it changes;
// structure.coupled takes true or false.
std::optional<TCardProblem> ApplyModelSetting(ModelCard& card, std::string_view setting);

// A constant as the card shows it: the shortest text that reads back as the same double, in
// positional notation where that stays short (0.0005 rather than 5e-04, as people write it).
std::string CardNumberText(double value);

// The card as YAML with a comment per law and per constant: what `vellmor-cli model` prints,
// a template to edit. Reading it back gives the same card, every double to the bit.
std::string ModelCardYaml(const ModelCard& card);

}  // namespace vellmor
