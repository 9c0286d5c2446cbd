#pragma once

#include <nlohmann/json.hpp>

#include <string>
#include <variant>

#include "vellmor/exports/json_parts.h"
#include "vellmor/fit/spinline_fit.h"

namespace vellmor {

// A fit as one JSON document: status ("fitted", "refused", "failed") and message; then, where
// there is an estimate (a failed fit keeps its last iterate), parameters (key, estimate,
// standard_error, wald_95, profile_95, log_scale, at_bound), correlation, chi_square,
// degrees_of_freedom, sigma_estimated ({quantity: σ} where the data gave none), rms
// ({quantity: RMS of model − measured}), cases (case, spinneret_tension_dyn, residuals: x_cm,
// quantity, measured, model, sigma, normalised, line), iterations, model_solves, warnings,
// suggestions, and the fitted card (model). Numbers not finite are null.
// program: who wrote it, after schema_version; none: no program key.
nlohmann::ordered_json FitJson(const std::variant<TFitResult, TFitFailure>& fit,
                               const TProgram* program = nullptr);

// The document as the exports write it: indented by two blanks, ending with a line break.
std::string FitJsonText(const std::variant<TFitResult, TFitFailure>& fit,
                        const TProgram* program = nullptr);

}  // namespace vellmor
