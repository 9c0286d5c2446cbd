#include "vellmor/fit/measurement_design.h"

#include <algorithm>
#include <cmath>
#include <numeric>

#include "vellmor/fit/gsl_owners.h"
#include "vellmor/fit/information_matrix.h"
#include "vellmor/fit/spinline_model.h"
#include "vellmor/fit/weighted_residuals.h"

namespace vellmor::fit {

std::optional<std::string> CandidateProblem(const std::vector<TRow>& picks,
                                            const std::vector<TRow>& measured) {
  for (const TRow& row : picks) {
    const bool measured_too = std::any_of(measured.begin(), measured.end(),
                                          [&](const TRow& m) { return m.What == row.What; });
    if (row.Sigma == 0.0 && !measured_too) {
      return "candidates, line " + std::to_string(row.Line) + ": no sigma for " +
             std::string(QuantityName(row.What)) + ", and the measured data give none to take";
    }
  }
  return std::nullopt;
}

std::variant<std::vector<TSuggestion>, std::string> ChooseMeasurements(
    const TDesignBasis& basis, const std::vector<TRow>& measured, std::vector<TRow> picks,
    const std::vector<TMeasurement>& candidates, int count) {
  std::vector<TSuggestion> suggestions;
  if (picks.empty()) return suggestions;
  for (TRow& row : picks) {
    if (row.Sigma > 0.0) continue;
    for (const TRow& m : measured) {
      if (m.What == row.What) row.Sigma = m.Sigma;
    }
  }
  const std::size_t p = basis.Keys.size();
  std::vector<std::size_t> all(p);
  std::iota(all.begin(), all.end(), std::size_t{0});
  SpinlineModel model(basis.Cases, picks, basis.Keys);
  WeightedResiduals problem(model, picks, basis.Scales);
  const GslMatrix candidate_jacobian = NewMatrix(picks.size(), p);  // a row g each
  if (!problem.Jacobian(basis.Theta, all, *candidate_jacobian))
    return "candidates: " + model.Failure();

  // The information of the measurements taken, JᵀJ / s², on the scale of the covariance.
  const GslMatrix information = NormalMatrix(basis.Jacobian);
  for (std::size_t a = 0; a < p; ++a) {
    for (std::size_t b = 0; b < p; ++b) {
      gsl_matrix_set(information.get(), a, b,
                     gsl_matrix_get(information.get(), a, b) / basis.CovarianceScale);
    }
  }
  std::vector<bool> taken(picks.size(), false);
  for (int pick = 0; pick < count; ++pick) {
    const GslMatrix inverse = InverseOf(*information);
    if (inverse == nullptr) break;
    double best_gain = -1.0;
    std::size_t best = picks.size();
    for (std::size_t c = 0; c < picks.size(); ++c) {
      if (taken[c]) continue;
      const gsl_vector_const_view g = gsl_matrix_const_row(candidate_jacobian.get(), c);
      const double gain = QuadraticForm(*inverse, g.vector);
      if (gain > best_gain) best_gain = gain, best = c;
    }
    if (best == picks.size()) break;
    taken[best] = true;
    AddOuterProduct(*information, gsl_matrix_const_row(candidate_jacobian.get(), best).vector);
    TSuggestion suggestion;
    suggestion.Candidate = candidates[best];
    suggestion.Sigma = picks[best].Sigma;
    const GslMatrix after = InverseOf(*information);
    for (std::size_t j = 0; j < p; ++j) {
      suggestion.StandardErrorsAfter.push_back(
          after != nullptr
              ? basis.Scales[j].Slope(basis.Theta[j]) * std::sqrt(gsl_matrix_get(after.get(), j, j))
              : NAN);
    }
    suggestions.push_back(std::move(suggestion));
  }
  return suggestions;
}

}  // namespace vellmor::fit
