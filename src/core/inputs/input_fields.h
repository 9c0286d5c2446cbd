#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "vellmor/inputs/input_texts.h"
#include "vellmor/inputs/spin_condition.h"

namespace vellmor {

// One input field of the main window under the one name every other interface uses for it:
// the key of the JSON documents, the column of the sweep's tables, the Python keyword
// ("take_up_speed"); the runner's option is the key with '-' for '_' ("--take-up-speed").
struct TInputField {
  std::string_view Key;          // "take_up_speed"
  std::string_view Description;  // what the field is, with the unit it is typed in
  std::string TInputTexts::*Text;
  // The field as a number; null for the save file name, which is a name.
  std::optional<double> Conditions::*Value;
  // Where the number goes in the condition; null for the save file name.
  double& (*Of)(TSpinCondition&);
  // The classical march's alone: the converged model does not read it (the increment).
  bool MarchOnly = false;

  bool Numeric() const { return Value != nullptr; }
  // The runner's option without its dashes: "take-up-speed".
  std::string Option() const;
  double ValueIn(const TSpinCondition& condition) const {
    return Of(const_cast<TSpinCondition&>(condition));
  }
};

// The nineteen fields in the order of the window; the output, the melt temperature and the IV
// are fixed in the window but may be set from scripts.
inline constexpr std::array<TInputField, 19> kInputFields{{
    {"hole_diameter", "Diameter of the spinneret hole (cm)", &TInputTexts::HoleDiameter,
     &Conditions::hole_diameter_cm, [](TSpinCondition& c) -> double& { return c.HoleDiameter; }},
    {"polymer_output", "Polymer output through the hole (g/min)", &TInputTexts::Output,
     &Conditions::polymer_output_g_min, [](TSpinCondition& c) -> double& { return c.Output; }},
    {"take_up_speed", "Speed of the take-up roll (m/min)", &TInputTexts::TakeUpSpeed,
     &Conditions::take_up_speed_m_min, [](TSpinCondition& c) -> double& { return c.TakeUpSpeed; }},
    {"melt_temperature", "Polymer melt temperature at the spinneret (°C)",
     &TInputTexts::MeltTemperature, &Conditions::melt_temperature_C,
     [](TSpinCondition& c) -> double& { return c.MeltTemperature; }},
    {"zone1_end", "End position of cooling zone 1, from the spinneret (cm)", &TInputTexts::Zone1End,
     &Conditions::zone1_end_cm,
     [](TSpinCondition& c) -> double& { return c.Zones[1].EndPosition; }},
    {"zone1_a1", "Zone 1 air temperature equation: A1 (°C·cm)", &TInputTexts::Zone1A1,
     &Conditions::zone1_a1_C_cm, [](TSpinCondition& c) -> double& { return c.Zones[1].A1; }},
    {"zone1_a2", "Zone 1 air temperature equation: A2 (cm)", &TInputTexts::Zone1A2,
     &Conditions::zone1_a2_cm, [](TSpinCondition& c) -> double& { return c.Zones[1].A2; }},
    {"zone1_a3", "Zone 1 air temperature equation: A3 (°C)", &TInputTexts::Zone1A3,
     &Conditions::zone1_a3_C, [](TSpinCondition& c) -> double& { return c.Zones[1].A3; }},
    {"zone1_air_velocity", "Zone 1 cross-flow air velocity (cm/s)", &TInputTexts::Zone1AirVelocity,
     &Conditions::zone1_air_velocity_cm_s,
     [](TSpinCondition& c) -> double& { return c.Zones[1].AirVelocity; }},
    {"zone2_end", "End position of cooling zone 2, from the spinneret (cm)", &TInputTexts::Zone2End,
     &Conditions::zone2_end_cm,
     [](TSpinCondition& c) -> double& { return c.Zones[2].EndPosition; }},
    {"zone2_a1", "Zone 2 air temperature equation: A1 (°C·cm)", &TInputTexts::Zone2A1,
     &Conditions::zone2_a1_C_cm, [](TSpinCondition& c) -> double& { return c.Zones[2].A1; }},
    {"zone2_a2", "Zone 2 air temperature equation: A2 (cm)", &TInputTexts::Zone2A2,
     &Conditions::zone2_a2_cm, [](TSpinCondition& c) -> double& { return c.Zones[2].A2; }},
    {"zone2_a3", "Zone 2 air temperature equation: A3 (°C)", &TInputTexts::Zone2A3,
     &Conditions::zone2_a3_C, [](TSpinCondition& c) -> double& { return c.Zones[2].A3; }},
    {"zone2_air_velocity", "Zone 2 cross-flow air velocity (cm/s)", &TInputTexts::Zone2AirVelocity,
     &Conditions::zone2_air_velocity_cm_s,
     [](TSpinCondition& c) -> double& { return c.Zones[2].AirVelocity; }},
    {"zone3_end", "End position of cooling zone 3, the take-up point (cm)", &TInputTexts::Zone3End,
     &Conditions::zone3_end_cm,
     [](TSpinCondition& c) -> double& { return c.Zones[3].EndPosition; }},
    {"zone3_air_velocity", "Zone 3 cross-flow air velocity (cm/s)", &TInputTexts::Zone3AirVelocity,
     &Conditions::zone3_air_velocity_cm_s,
     [](TSpinCondition& c) -> double& { return c.Zones[3].AirVelocity; }},
    {"iv",
     "Intrinsic viscosity of the PET (dimensionless; 0.61 to 0.9 for the classical run, the card's "
     "valid range for the converged model, 0.5 to 1.3 built in)",
     &TInputTexts::IV, &Conditions::iv, [](TSpinCondition& c) -> double& { return c.IV; }},
    {"increment", "Integration step along the spinline (cm)", &TInputTexts::Increment,
     &Conditions::increment_cm, [](TSpinCondition& c) -> double& { return c.Increment; }, true},
    {"save_file",
     "Result file, absolute or relative to the current directory (- for standard output)",
     &TInputTexts::SaveFileName, nullptr, nullptr},
}};

// The field of that key, or of that option ("take-up-speed" finds take_up_speed); nullptr for
// neither.
const TInputField* FindInputField(std::string_view name);

// The save file name's field, which the converged model's commands do not take.
inline const TInputField& SaveFileField() { return kInputFields.back(); }

}  // namespace vellmor
