#pragma once

#include <array>
#include <string>
#include <string_view>

#include "core/inputs/input_texts.h"

namespace vellmor {

// One input field of the main window under the name scripts use for it: the runner's option
// (without its dashes), the sweep's varied option, the key of the JSON export.
struct TInputField {
  std::string_view Name;         // "hole-diameter"
  std::string_view Description;  // what the field is, with the unit it is typed in
  std::string TInputTexts::*Text;
  bool Numeric;  // every field but the save file name is a number
};

// The nineteen fields in the order of the window; Edit2, Edit4 and Edit17 are fixed in the
// window but may be set from scripts.
inline constexpr std::array<TInputField, 19> kInputFields{{
    {"hole-diameter", "Diameter of the spinneret hole (cm)", &TInputTexts::Edit1, true},
    {"polymer-output", "Polymer output through the hole (g/min)", &TInputTexts::Edit2, true},
    {"take-up-speed", "Speed of the take-up roll (m/min)", &TInputTexts::Edit3, true},
    {"melt-temperature", "Polymer melt temperature at the spinneret (°C)", &TInputTexts::Edit4,
     true},
    {"zone1-end", "End position of cooling zone 1, from the spinneret (cm)", &TInputTexts::Edit5,
     true},
    {"zone1-a1", "Zone 1 air temperature equation: A1 (°C·cm)", &TInputTexts::Edit6, true},
    {"zone1-a2", "Zone 1 air temperature equation: A2 (cm)", &TInputTexts::Edit7, true},
    {"zone1-a3", "Zone 1 air temperature equation: A3 (°C)", &TInputTexts::Edit8, true},
    {"zone1-air-velocity", "Zone 1 cross-flow air velocity (cm/s)", &TInputTexts::Edit9, true},
    {"zone2-end", "End position of cooling zone 2, from the spinneret (cm)", &TInputTexts::Edit10,
     true},
    {"zone2-a1", "Zone 2 air temperature equation: A1 (°C·cm)", &TInputTexts::Edit11, true},
    {"zone2-a2", "Zone 2 air temperature equation: A2 (cm)", &TInputTexts::Edit12, true},
    {"zone2-a3", "Zone 2 air temperature equation: A3 (°C)", &TInputTexts::Edit13, true},
    {"zone2-air-velocity", "Zone 2 cross-flow air velocity (cm/s)", &TInputTexts::Edit14, true},
    {"zone3-end", "End position of cooling zone 3, the take-up point (cm)", &TInputTexts::Edit15,
     true},
    {"zone3-air-velocity", "Zone 3 cross-flow air velocity (cm/s)", &TInputTexts::Edit16, true},
    {"iv", "Intrinsic viscosity of the PET (dimensionless; above 0.61, below 0.9)",
     &TInputTexts::Edit17, true},
    {"increment", "Integration step along the spinline (cm)", &TInputTexts::Edit19, true},
    {"save-file",
     "Result file, absolute or relative to the current directory (- for standard output)",
     &TInputTexts::Edit20, false},
}};

// The field of that name, or nullptr.
inline const TInputField* FindInputField(std::string_view name) {
  for (const TInputField& field : kInputFields) {
    if (field.Name == name) return &field;
  }
  return nullptr;
}

}  // namespace vellmor
