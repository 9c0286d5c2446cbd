#pragma once

#include <optional>
#include <string>

namespace vellmor {

// The nineteen input texts of a run, exactly as typed, named by the field they fill; the main
// window's edits Edit1 … Edit20 (there is no edit numbered 18) are bound to them in its layout.
// The defaults are the texts the window opens with.
struct TInputTexts {
  std::string HoleDiameter = "0.025";       // Hole Diameter (cm)
  std::string Output = "1.0";               // Output (g/min); fixed in the window
  std::string TakeUpSpeed = "5000.0";       // Take-up Speed (m/min)
  std::string MeltTemperature = "290.0";    // Polymer Melt Temperature (°C); fixed in the window
  std::string Zone1End = "10.0";            // zone 1 end position (cm)
  std::string Zone1A1 = "16087.5";          // zone 1 A1
  std::string Zone1A2 = "-32.5";            // zone 1 A2
  std::string Zone1A3 = "765.0";            // zone 1 A3
  std::string Zone1AirVelocity = "0.0";     // zone 1 air velocity (cm/s)
  std::string Zone2End = "35.0";            // zone 2 end position (cm)
  std::string Zone2A1 = "60.0";             // zone 2 A1
  std::string Zone2A2 = "-8.0";             // zone 2 A2
  std::string Zone2A3 = "20.0";             // zone 2 A3
  std::string Zone2AirVelocity = "50.0";    // zone 2 air velocity (cm/s)
  std::string Zone3End = "100.0";           // zone 3 end position (cm)
  std::string Zone3AirVelocity = "0.0";     // zone 3 air velocity (cm/s)
  std::string IV = "0.67";                  // IV of PET; fixed in the window
  std::string Increment = "1.0";            // Increment (cm)
  std::string SaveFileName = "result.txt";  // Save File Name

  friend bool operator==(const TInputTexts&, const TInputTexts&) = default;
};

// The same inputs as numbers, for a program that has them as numbers: each in the unit its
// name ends with, and a field left empty keeps the window's default. TextsOf writes each
// number as the shortest text that reads back to it, so that the run reads, checks and
// reports exactly what a user typing those texts would get:
//
//   const TInputTexts texts = TextsOf(Conditions{.take_up_speed_m_min = 4500});
struct Conditions {
  std::optional<double> hole_diameter_cm = {};
  std::optional<double> polymer_output_g_min = {};
  std::optional<double> take_up_speed_m_min = {};
  std::optional<double> melt_temperature_C = {};
  std::optional<double> zone1_end_cm = {};
  std::optional<double> zone1_a1_C_cm = {};
  std::optional<double> zone1_a2_cm = {};
  std::optional<double> zone1_a3_C = {};
  std::optional<double> zone1_air_velocity_cm_s = {};
  std::optional<double> zone2_end_cm = {};
  std::optional<double> zone2_a1_C_cm = {};
  std::optional<double> zone2_a2_cm = {};
  std::optional<double> zone2_a3_C = {};
  std::optional<double> zone2_air_velocity_cm_s = {};
  std::optional<double> zone3_end_cm = {};
  std::optional<double> zone3_air_velocity_cm_s = {};
  std::optional<double> iv = {};
  std::optional<double> increment_cm = {};
  std::optional<std::string> save_file = {};

  friend bool operator==(const Conditions&, const Conditions&) = default;
};

// The texts the window opens with, their decimal points written with the user's decimal
// separator, so that the defaults read back under any locale.
TInputTexts DefaultInputTexts(char decimal_separator);

// The window's default texts with the conditions given written in (with a point).
TInputTexts TextsOf(const Conditions& conditions);

}  // namespace vellmor
