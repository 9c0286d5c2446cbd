#pragma once

// Which measurements to take next. Of the candidates, the one that adds most to the
// determinant of the information F of the fitting variables (a D-optimal design): a candidate
// whose row of the Jacobian is g makes it det(F + g gᵀ) = det F · (1 + gᵀ F⁻¹ g); then the
// next with that one taken, and so on, each with the standard errors it leaves. A candidate
// without σ takes the last measured one of its quantity (given or estimated). Internal to the
// fit.

#include <optional>
#include <string>
#include <variant>
#include <vector>

#include <gsl/gsl_matrix.h>

#include "vellmor/fit/fit_scale.h"
#include "vellmor/fit/measurement_rows.h"
#include "vellmor/fit/spinline_fit.h"
#include "vellmor/model_card/model_card.h"

namespace vellmor::fit {

// What the design starts from: the fit at its estimate.
struct TDesignBasis {
  const std::vector<TFitCase>& Cases;
  const std::vector<const TModelKey*>& Keys;
  const std::vector<TScale>& Scales;
  const std::vector<double>& Theta;
  const gsl_matrix& Jacobian;    // of the measurements taken
  double CovarianceScale = 1.0;  // s²: χ²/dof where σ was estimated, else 1
};

// The message that refuses a candidate before any solve: it has no σ, and no measurement of
// its quantity gives one to take.
std::optional<std::string> CandidateProblem(const std::vector<TRow>& picks,
                                            const std::vector<TRow>& measured);

// count picks from the candidates (picks: their rows, in the same order); the message of a
// candidate that cannot be solved.
std::variant<std::vector<TSuggestion>, std::string> ChooseMeasurements(
    const TDesignBasis& basis, const std::vector<TRow>& measured, std::vector<TRow> picks,
    const std::vector<TMeasurement>& candidates, int count);

}  // namespace vellmor::fit
