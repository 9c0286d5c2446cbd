#include "vellmor/fit/weighted_residuals.h"

#include <cassert>

#include "vellmor/sensitivity/sensitivities.h"

namespace vellmor::fit {

std::vector<double> WeightedResiduals::Values(const std::vector<double>& theta) const {
  std::vector<double> values(theta.size());
  for (std::size_t j = 0; j < theta.size(); ++j) values[j] = scales_[j].Value(theta[j]);
  return values;
}

bool WeightedResiduals::Residuals(const std::vector<double>& theta, std::vector<double>& r,
                                  bool central) {
  if (!model_.Predict(Values(theta), r, central)) return false;
  for (std::size_t i = 0; i < r.size(); ++i) r[i] = (r[i] - rows_[i].Measured) / rows_[i].Sigma;
  return true;
}

bool WeightedResiduals::Jacobian(const std::vector<double>& theta,
                                 const std::vector<std::size_t>& free, gsl_matrix& jacobian) {
  assert(jacobian.size1 == rows_.size() && jacobian.size2 == free.size());
  // ∂r_i/∂θ_j = ∂model_i/∂p_j (dp_j/dθ_j) / σ_i, from the model's exact derivatives.
  std::vector<std::vector<double>> slopes;
  std::vector<bool> exact;
  if (!model_.Derivatives(Values(theta), free, slopes, exact)) exact.assign(free.size(), false);
  for (std::size_t c = 0; c < free.size(); ++c) {
    if (!exact[c]) {
      if (!DifferenceColumn(theta, free[c], c, jacobian)) return false;
      continue;
    }
    const double slope = scales_[free[c]].Slope(theta[free[c]]);
    for (std::size_t i = 0; i < rows_.size(); ++i) {
      gsl_matrix_set(&jacobian, i, c, slopes[c][i] * slope / rows_[i].Sigma);
    }
  }
  return true;
}

bool WeightedResiduals::DifferenceColumn(const std::vector<double>& theta, std::size_t j,
                                         std::size_t c, gsl_matrix& jacobian) {
  const double h = kSensitivityStep;
  std::vector<double> up, down, centre;
  std::vector<double> t = theta;
  t[j] = theta[j] + h;
  const bool has_up = Residuals(t, up, false);
  t[j] = theta[j] - h;
  const bool has_down = Residuals(t, down, false);
  if (!has_up || !has_down) {
    if (!has_up && !has_down) return false;
    if (!Residuals(theta, centre, false)) return false;
  }
  for (std::size_t i = 0; i < rows_.size(); ++i) {
    gsl_matrix_set(&jacobian, i, c,
                   has_up && has_down ? (up[i] - down[i]) / (2 * h)
                   : has_up           ? (up[i] - centre[i]) / h
                                      : (centre[i] - down[i]) / h);
  }
  return true;
}

double SumOfSquares(const std::vector<double>& r) {
  double sum = 0.0;
  for (const double v : r) sum += v * v;
  return sum;
}

}  // namespace vellmor::fit
