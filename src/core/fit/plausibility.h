#pragma once

// What measurements can not be, whatever the constants: checked before a fit, so that data in
// another unit (diameters in cm under diameter_um) or of another line are refused with their
// file and line rather than fitted to constants far outside any law.
//
//   a diameter below the mass balance's at the take-up speed, D = √(4 W / (π ρ V)) with the
//     largest density of the card's law (at 0 °C): no filament of that output at that speed is
//     thinner;
//   a velocity above the take-up speed: the roll sets the fastest the filament runs;
//   a temperature above the melt's: the line only cools.
//
// Each allows three of the measurement's σ and a margin (2 % of the velocity and the
// diameter, 1 °C), so that noisy but honest data pass.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "vellmor/fit/measured_data.h"
#include "vellmor/fit/spinline_fit.h"

namespace vellmor {

// The message that refuses the first implausible measurement, naming source and its line:
// "line.csv, line 4: diameter_um 0.0156 is below the 13.7 µm of the mass balance at the
// take-up speed of case 1 (…): a diameter in another unit?"; nullopt when every one is
// plausible. A measurement's case is the case of its name (the only one without names).
std::optional<std::string> ImplausibleMeasurement(const std::vector<TFitCase>& cases,
                                                  const std::vector<TMeasurement>& data,
                                                  std::string_view source);

}  // namespace vellmor
