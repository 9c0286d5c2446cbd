#pragma once

// The condition header of the main window's default case, typed line by line from the report
// layout; "\x81\x8E" is the degree sign.

#include <string>
#include <vector>

namespace vellmor::test {

inline const std::vector<std::string> kDefaultHeader = {
    "OPERATING CONDITION",
    "-------------------",
    "    Hole Diameter                        (cm) =  0.0250",
    "    Output                            (g/min) =  1.000",
    "    Take-up Speed                     (m/min) =  5000.0",
    "    IV                                        =  0.670",
    "    Polymer Melt Temperature             (\x81\x8E) =  290.0",
    "",
    "FIRST ZONE CONDITION",
    "--------------------",
    "    Zone End Position                    (cm) =  10.0",
    "    Air Temperature Eq. Parameters:",
    "        A1                                    =  16087.50",
    "        A2                                    =  -32.5000",
    "        A3                                    =  765.00",
    "    Air Velocity                       (cm/s) =  0.0",
    "",
    "SECOND ZONE CONDITION",
    "---------------------",
    "    Zone End Position                    (cm) =  35.0",
    "    Air Temperature Eq. Parameters:",
    "        A1                                    =  60.00",
    "        A2                                    =  -8.0000",
    "        A3                                    =  20.00",
    "    Air Velocity                       (cm/s) =  50.0",
    "",
    "THIRD ZONE CONDITION",
    "--------------------",
    "    Zone End Position                    (cm) =  100.0",
    "    Air Velocity                       (cm/s) =  0.0",
    "",
    "CALCULATION ACCURACY",
    "--------------------",
    "    Increment                            (cm) =  1.0",
    "",
    "",
    "",
    "[RESULTS]",
    "    X       V       F      T       D      TA      H     TEN(RE) TEN(AP)",
    "   cm     m/min    dyn    \x81\x8E      cm     \x81\x8E     cal/cm2  G/den   G/den",
    "                                                .s.\x81\x8E",
};

// The lines, each ended by CR LF as the result file ends them.
inline std::string Joined(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\r\n";
  return text;
}

}  // namespace vellmor::test
