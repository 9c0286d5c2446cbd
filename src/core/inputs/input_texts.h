#pragma once

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

// The texts the window opens with, their decimal points written with the user's decimal
// separator, so that the defaults read back under any locale.
TInputTexts DefaultInputTexts(char decimal_separator);

}  // namespace vellmor
