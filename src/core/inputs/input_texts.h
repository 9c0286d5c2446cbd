#pragma once

#include <string>

namespace vellmor {

// The nineteen input texts of a run, exactly as typed into the main window's edits (there is
// no edit numbered 18). The defaults are the texts the window opens with.
struct TInputTexts {
  std::string Edit1 = "0.025";        // Hole Diameter (cm)
  std::string Edit2 = "1.0";          // Output (g/min); fixed in the window
  std::string Edit3 = "5000.0";       // Take-up Speed (m/min)
  std::string Edit4 = "290.0";        // Polymer Melt Temperature (°C); fixed in the window
  std::string Edit5 = "10.0";         // zone 1 end position (cm)
  std::string Edit6 = "16087.5";      // zone 1 A1
  std::string Edit7 = "-32.5";        // zone 1 A2
  std::string Edit8 = "765.0";        // zone 1 A3
  std::string Edit9 = "0.0";          // zone 1 air velocity (cm/s)
  std::string Edit10 = "35.0";        // zone 2 end position (cm)
  std::string Edit11 = "60.0";        // zone 2 A1
  std::string Edit12 = "-8.0";        // zone 2 A2
  std::string Edit13 = "20.0";        // zone 2 A3
  std::string Edit14 = "50.0";        // zone 2 air velocity (cm/s)
  std::string Edit15 = "100.0";       // zone 3 end position (cm)
  std::string Edit16 = "0.0";         // zone 3 air velocity (cm/s)
  std::string Edit17 = "0.67";        // IV of PET; fixed in the window
  std::string Edit19 = "1.0";         // Increment (cm)
  std::string Edit20 = "result.txt";  // Save File Name

  friend bool operator==(const TInputTexts&, const TInputTexts&) = default;
};

// The texts the window opens with, their decimal points written with the user's decimal
// separator, so that the defaults read back under any locale.
TInputTexts DefaultInputTexts(char decimal_separator);

}  // namespace vellmor
