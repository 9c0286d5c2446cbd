#pragma once

#include <optional>
#include <string_view>

#include "vellmor/inputs/input_fields.h"
#include "vellmor/model_card/model_card.h"

namespace vellmor {

// What a sweep varies in one of its columns: an input option, or a constant of the model card
// (for the converged model only).
struct TSweepColumn {
  TSweepColumn() = default;
  // An input option is the usual column: it converts.
  TSweepColumn(const TInputField* field) : Field(field) {}  // NOLINT(google-explicit-constructor)
  explicit TSweepColumn(const TModelKey* key) : CardKey(key) {}

  const TInputField* Field = nullptr;
  const TModelKey* CardKey = nullptr;

  bool OnCard() const { return CardKey != nullptr; }
  // The input's key ("take_up_speed") or the card key's dotted path ("heat_transfer.factor").
  std::string_view Name() const { return Field != nullptr ? Field->Key : CardKey->Path; }

  friend bool operator==(const TSweepColumn&, const TSweepColumn&) = default;
};

// The column a name gives: an input option first, then a card key; nullopt for neither.
inline std::optional<TSweepColumn> FindSweepColumn(std::string_view name) {
  if (const TInputField* field = FindInputField(name)) return TSweepColumn(field);
  if (const TModelKey* key = FindModelKey(name)) return TSweepColumn(key);
  return std::nullopt;
}

}  // namespace vellmor
