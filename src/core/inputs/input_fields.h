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

// The nineteen fields in the order of the window; the output, the melt temperature and the IV
// are fixed in the window but may be set from scripts.
inline constexpr std::array<TInputField, 19> kInputFields{{
    {"hole-diameter", "Diameter of the spinneret hole (cm)", &TInputTexts::HoleDiameter, true},
    {"polymer-output", "Polymer output through the hole (g/min)", &TInputTexts::Output, true},
    {"take-up-speed", "Speed of the take-up roll (m/min)", &TInputTexts::TakeUpSpeed, true},
    {"melt-temperature", "Polymer melt temperature at the spinneret (°C)",
     &TInputTexts::MeltTemperature, true},
    {"zone1-end", "End position of cooling zone 1, from the spinneret (cm)", &TInputTexts::Zone1End,
     true},
    {"zone1-a1", "Zone 1 air temperature equation: A1 (°C·cm)", &TInputTexts::Zone1A1, true},
    {"zone1-a2", "Zone 1 air temperature equation: A2 (cm)", &TInputTexts::Zone1A2, true},
    {"zone1-a3", "Zone 1 air temperature equation: A3 (°C)", &TInputTexts::Zone1A3, true},
    {"zone1-air-velocity", "Zone 1 cross-flow air velocity (cm/s)", &TInputTexts::Zone1AirVelocity,
     true},
    {"zone2-end", "End position of cooling zone 2, from the spinneret (cm)", &TInputTexts::Zone2End,
     true},
    {"zone2-a1", "Zone 2 air temperature equation: A1 (°C·cm)", &TInputTexts::Zone2A1, true},
    {"zone2-a2", "Zone 2 air temperature equation: A2 (cm)", &TInputTexts::Zone2A2, true},
    {"zone2-a3", "Zone 2 air temperature equation: A3 (°C)", &TInputTexts::Zone2A3, true},
    {"zone2-air-velocity", "Zone 2 cross-flow air velocity (cm/s)", &TInputTexts::Zone2AirVelocity,
     true},
    {"zone3-end", "End position of cooling zone 3, the take-up point (cm)", &TInputTexts::Zone3End,
     true},
    {"zone3-air-velocity", "Zone 3 cross-flow air velocity (cm/s)", &TInputTexts::Zone3AirVelocity,
     true},
    {"iv", "Intrinsic viscosity of the PET (dimensionless; above 0.61, below 0.9)",
     &TInputTexts::IV, true},
    {"increment", "Integration step along the spinline (cm)", &TInputTexts::Increment, true},
    {"save-file",
     "Result file, absolute or relative to the current directory (- for standard output)",
     &TInputTexts::SaveFileName, false},
}};

// The field of that name, or nullptr.
inline const TInputField* FindInputField(std::string_view name) {
  for (const TInputField& field : kInputFields) {
    if (field.Name == name) return &field;
  }
  return nullptr;
}

}  // namespace vellmor
