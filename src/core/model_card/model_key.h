#pragma once

// The keys of the model card, as one table: each key's dotted path, what it means and where
// its built-in value comes from, its kind (a number within a range, true or false, or one of
// a few names) and where its value lands in the constants of the converged model. The card's
// reader and writer, --model-set, the JSON and every front end go through the table, so a new
// constant is one row of it.

#include <array>
#include <cstddef>
#include <limits>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>

#include "vellmor/bundle/bundle_constants.h"
#include "vellmor/inputs/input_checks.h"
#include "vellmor/model_card/card_number.h"
#include "vellmor/physics/spinline_constants.h"
#include "vellmor/structure/structure_laws.h"

namespace vellmor {

// The constants of the converged model twice: in the arithmetic of its laws (double), and in
// the x87 arithmetic of the spinneret exit, which the converged model shares with the
// classical march, so that both start from the same swollen filament.
struct TModelConstants {
  TSpinlineConstants<double> Laws = kBuiltInConstants;
  TSpinlineConstants<long double> Exit = kClassicalConstants;
  // The fibre's structure, which the spinline's own laws do not need.
  TStructureConstants Structure = kBuiltInStructure;
  // The IV for which the card's laws hold: the converged model refuses a line outside it.
  TIvRange ValidIv = {};
  // A bundle of filaments in the quench air, which one filament's laws do not read.
  TBundleConstants Bundle = kBuiltInBundle;

  friend bool operator==(const TModelConstants&, const TModelConstants&) = default;
};

enum class KeyKind {
  kNumber,   // a card number within the key's range
  kBoolean,  // true or false
  kChoice,   // one of the key's names
};

// Where a number keeps its law meaningful: from Low (or above it) up to High (or below it).
struct TNumberRange {
  double Low = -std::numeric_limits<double>::infinity();
  bool LowIncluded = true;
  double High = std::numeric_limits<double>::infinity();
  bool HighIncluded = true;
  std::string_view Unit;  // after a bound in the message: " °C"

  friend constexpr bool operator==(const TNumberRange&, const TNumberRange&) = default;
};

inline constexpr TNumberRange kAnyNumber{};
constexpr TNumberRange Above(double low, std::string_view unit = {}) {
  TNumberRange range;
  range.Low = low;
  range.LowIncluded = false;
  range.Unit = unit;
  return range;
}
constexpr TNumberRange AtLeast(double low) {
  TNumberRange range;
  range.Low = low;
  return range;
}
constexpr TNumberRange FromTo(double low, double high) {
  TNumberRange range = AtLeast(low);
  range.High = high;
  return range;
}

// A choice by the index of its name among the key's names.
struct TChoice {
  std::size_t Index = 0;

  friend bool operator==(const TChoice&, const TChoice&) = default;
};

// A key's value, of its kind.
using TKeyValue = std::variant<TCardNumber, bool, TChoice>;

// Where a choice lands in the constants: an enumeration whose values are the indices of the
// key's names, read and set through these two.
struct TChoicePlace {
  std::size_t (*Get)(const TModelConstants&) = nullptr;
  void (*Set)(TModelConstants&, std::size_t) = nullptr;
};

// One key of the card. Exactly the places of its kind are set: Value and Extended for a
// number of the spinline's laws, Structure for a number of the fibre's structure, Validity for
// an end of the range where the laws hold, Bundle for a number of the bundle, Switch for true
// or false, Choice for a choice (an
// enumeration kept as the index of its name).
struct TModelKey {
  std::string_view Path;     // "heat_transfer.factor": section, a point, key; or a key alone
  std::string_view Meaning;  // what it is, with its unit
  std::string_view Source;   // where the built-in value comes from
  KeyKind Kind = KeyKind::kNumber;
  TNumberRange Range;                       // a number's
  std::span<const std::string_view> Names;  // a choice's, in the order of their indices

  double TSpinlineConstants<double>::*Value = nullptr;
  long double TSpinlineConstants<long double>::*Extended = nullptr;
  double TStructureConstants::*Structure = nullptr;
  double TIvRange::*Validity = nullptr;
  double TBundleConstants::*Bundle = nullptr;
  bool TStructureConstants::*Switch = nullptr;
  const TChoicePlace* Choice = nullptr;

  bool IsNumber() const { return Kind == KeyKind::kNumber; }
  // A key of the fibre's structure, which the spinline's laws do not read.
  bool IsStructure() const {
    return Structure != nullptr || Switch != nullptr || Choice != nullptr;
  }
  // An end of the range where the laws hold, which no law reads: it changes no solution, and
  // has neither an elasticity nor a fit.
  bool IsValidity() const { return Validity != nullptr; }
  // A key of the bundle and its air, which no law of one filament reads: it changes no single
  // solution, and has neither an elasticity nor a fit of one filament.
  bool IsBundle() const { return Bundle != nullptr; }

  std::string_view Section() const;  // "heat_transfer"; empty for a key of the top level
  std::string_view Key() const;      // "factor"
};

// Every key, in the card's order: the spinline's, the structure's, then the bundle's.
extern const std::array<TModelKey, 45> kModelKeys;

// The key of that path, or nullptr.
const TModelKey* FindModelKey(std::string_view path);
// Whether name is a section of the card ("heat_transfer").
bool IsCardSection(std::string_view name);

// A key's value in the constants, and setting it (of the key's kind).
TKeyValue KeyValue(const TModelConstants& constants, const TModelKey& key);
void SetKeyValue(TModelConstants& constants, const TModelKey& key, const TKeyValue& value);
// A number's value as a double; setting it widens the double for the exit's arithmetic.
double ModelValue(const TModelConstants& constants, const TModelKey& key);
void SetModelValue(TModelConstants& constants, const TModelKey& key, double value);

// The value of a text in the key's grammar (a card number, true or false, one of the names),
// or nullopt. The range is not checked here.
std::optional<TKeyValue> KeyValueOfText(const TModelKey& key, std::string_view text);
// What the key's grammar wants: "a number", "true or false", "one of newtonian, maxwell".
std::string KindWanted(const TModelKey& key);
// Why text is not of the key's kind: "not a number: 6802 K", "true or false, not yes".
std::string NotOfKind(const TModelKey& key, std::string_view text);
// The value as the card writes it: CardNumberText, true or false, the name.
std::string KeyValueText(const TModelKey& key, const TKeyValue& value);
// Why a number lies outside the key's range ("must be above 0, not -0.273"), or nullopt.
std::optional<std::string> OutOfRange(const TModelKey& key, double value);

}  // namespace vellmor
