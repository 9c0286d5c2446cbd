#include "vellmor/fit/fitted_uncertainty.h"

namespace vellmor {

std::optional<TCardUncertainty> FittedUncertainty(const TFitResult& result) {
  if (result.NaturalCovariance.empty()) return std::nullopt;
  TCardUncertainty uncertainty;
  for (const TParameterEstimate& p : result.Parameters) {
    uncertainty.Keys.emplace_back(p.Key);
    uncertainty.LogScale.push_back(p.LogScale);
    uncertainty.Estimates.push_back(p.Estimate);
  }
  uncertainty.Covariance = result.NaturalCovariance;
  uncertainty.DegreesOfFreedom = result.DegreesOfFreedom;
  uncertainty.ResidualScale = result.ResidualScale;
  if (UncertaintyProblem(uncertainty)) return std::nullopt;
  return uncertainty;
}

}  // namespace vellmor
