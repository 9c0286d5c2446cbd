#pragma once

// The intervals of a solved case in its documents: the JSON's uncertainty object
//
//   {"method": "delta", "level": 0.95, "keys": [...], "samples": 1000, "seed": 1,
//    "failed_samples": 0,
//    "process_numbers": {"freeze_point_cm": {"lo": …, "hi": …, "standard_deviation": …}, …},
//    "structure": {"birefringence": {…}, …}}
//
// (samples, seed and failed_samples with monte-carlo only; null bounds where an answer has no
// interval) and the profile's bands, a column NAME_lo and NAME_hi for each column but the
// position, after the columns themselves.

#include <nlohmann/json.hpp>

#include <string>
#include <vector>

#include "vellmor/uncertainty/propagation.h"

namespace vellmor {

nlohmann::ordered_json UncertaintyJson(const TPropagatedUncertainty& uncertainty);

// The bands added to a profile object of columns ({"x_cm": [...], ...}).
void AddProfileBands(nlohmann::ordered_json& profile, const TPropagatedUncertainty& uncertainty,
                     bool with_structure);

// The profile columns' names in the answers' order (kConvergedColumns, then kStructureColumns).
std::vector<std::string> ProfileAnswerNames(bool with_structure);

}  // namespace vellmor
