#pragma once

// The parameters of the converged model: each number it reads, a numeric input of the
// condition (every one but the march's increment) or a number of the model card, under its
// one name.

#include <string_view>
#include <vector>

#include "vellmor/inputs/input_fields.h"
#include "vellmor/inputs/spin_condition.h"
#include "vellmor/model_card/model_key.h"

namespace vellmor {

struct TConvergedParameter {
  const TInputField* Input = nullptr;  // the input it is, or
  const TModelKey* Key = nullptr;      // the card's number

  // The input's key ("take_up_speed") or the card's path ("heat_transfer.factor").
  std::string_view Name() const { return Input != nullptr ? Input->Key : Key->Path; }
  bool OnCard() const { return Key != nullptr; }
  double ValueIn(const TSpinCondition& condition, const TModelConstants& model) const;
  // Sets it in the condition or in the constants (both arithmetics of a card's number).
  void Set(TSpinCondition& condition, TModelConstants& model, double value) const;
};

// The inputs in the window's order, then the card's numbers in the card's order (but the ends
// of the valid IV's range, which no law reads); those of the structure only with_structure.
std::vector<TConvergedParameter> ConvergedParameters(bool with_structure);

}  // namespace vellmor
