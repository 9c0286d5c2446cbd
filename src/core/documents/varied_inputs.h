#pragma once

// What tells cases apart: the inputs whose values differ between them, and each case's label
// made of those values with their units ("take-up speed 3000 m/min, zone 2 air 50 cm/s"), for
// a figure's legend in place of the files' names; the short name and unit of an input for an
// axis title.

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "vellmor/inputs/spin_condition.h"

namespace vellmor {

// One case's inputs by key, each a number in the unit it is typed in.
using TCaseInputs = std::vector<std::pair<std::string, double>>;

// The numeric inputs of a condition (a result file's header), in the window's order.
TCaseInputs CaseInputsOf(const TSpinCondition& condition);

struct TVariedInputs {
  std::vector<std::string> Keys;    // the inputs that differ, in the order of the first case
  std::vector<std::string> Labels;  // one per case; empty for a case without inputs
  // The first varied input's value of each case, to key a colour ramp to; nullopt where a
  // case does not have it (or nothing varies).
  std::vector<std::optional<double>> Values;
};

// The inputs that differ between the cases (a key missing from some case counts as
// differing), and their labels. With nothing varied, every label is empty.
TVariedInputs VariedInputs(const std::vector<TCaseInputs>& cases);

// An input's short name and unit ("take-up speed", "m/min"); a key that is no input (a card
// constant, "heat_transfer.factor") is its own name, without a unit.
struct TInputName {
  std::string Name;
  std::string Unit;  // empty for a dimensionless input
};
TInputName InputNameOf(std::string_view key);

// "take-up speed 3000 m/min".
std::string InputLabel(std::string_view key, double value);

// "Take-up speed (m/min)": a sentence's first letter, the unit in brackets.
std::string InputTitle(std::string_view key);

}  // namespace vellmor
