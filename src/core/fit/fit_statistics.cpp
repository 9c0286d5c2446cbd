#include "vellmor/fit/fit_statistics.h"

#include <algorithm>
#include <cmath>

#include "vellmor/base/number_text.h"
#include "vellmor/fit/information_matrix.h"

#include <gsl/gsl_cdf.h>

namespace vellmor::fit {
namespace {

std::string Text(double value) { return ShortestText(value).value_or("nan"); }

}  // namespace

double CovarianceScale(double chi_square, std::size_t measurements, std::size_t parameters,
                       bool sigma_estimated) {
  if (!sigma_estimated || measurements <= parameters) return 1.0;
  return chi_square / static_cast<double>(measurements - parameters);
}

std::vector<TParameterEstimate> ParameterEstimates(const std::vector<const TModelKey*>& keys,
                                                   const std::vector<TScale>& scales,
                                                   const std::vector<double>& theta,
                                                   const gsl_matrix* covariance,
                                                   std::vector<std::string>& warnings) {
  std::vector<TParameterEstimate> estimates;
  for (std::size_t j = 0; j < keys.size(); ++j) {
    const TScale& scale = scales[j];
    TParameterEstimate estimate;
    estimate.Key = keys[j]->Path;
    estimate.LogScale = scale.Log;
    estimate.Estimate = scale.Value(theta[j]);
    const double se = covariance != nullptr ? std::sqrt(gsl_matrix_get(covariance, j, j)) : NAN;
    estimate.StandardError = scale.Slope(theta[j]) * se;
    estimate.Wald95 = {scale.Value(theta[j] - kNormal95 * se),
                       scale.Value(theta[j] + kNormal95 * se)};
    if (scale.Bounds) {
      const auto [a, b] = *scale.Bounds;
      estimate.AtBound = std::min(theta[j] - a, b - theta[j]) < 1e-6 * (b - a);
      if (estimate.AtBound) {
        warnings.push_back(std::string(keys[j]->Path) + " ends at its bound " +
                           Text(scale.Value(theta[j])) + ": its interval says nothing");
      }
    }
    estimates.push_back(estimate);
  }
  return estimates;
}

std::optional<std::string> UndeterminedWarning(const gsl_matrix& jacobian,
                                               const std::vector<const TModelKey*>& keys) {
  const auto [values, smallest] = SingularValues(jacobian);
  if (!(values.back() < 1e-8 * values.front())) return std::nullopt;
  const std::size_t worst = static_cast<std::size_t>(
      std::max_element(smallest.begin(), smallest.end(),
                       [](double a, double b) { return std::fabs(a) < std::fabs(b); }) -
      smallest.begin());
  return "the data can not determine " + std::string(keys[worst]->Path) + " (singular value " +
         Text(values.back() / values.front()) + " of the largest)";
}

std::vector<std::vector<double>> Correlation(const gsl_matrix* covariance,
                                             const std::vector<const TModelKey*>& keys,
                                             std::vector<std::string>& warnings) {
  const std::size_t p = keys.size();
  std::vector<std::vector<double>> correlation(p, std::vector<double>(p, NAN));
  if (covariance == nullptr) return correlation;
  const auto c = [&](std::size_t a, std::size_t b) { return gsl_matrix_get(covariance, a, b); };
  for (std::size_t a = 0; a < p; ++a) {
    for (std::size_t b = 0; b < p; ++b) correlation[a][b] = c(a, b) / std::sqrt(c(a, a) * c(b, b));
  }
  for (std::size_t a = 0; a < p; ++a) {
    for (std::size_t b = a + 1; b < p; ++b) {
      if (std::fabs(correlation[a][b]) > 0.95) {
        warnings.push_back(std::string(keys[a]->Path) + " and " + std::string(keys[b]->Path) +
                           " are correlated at " + FixedPointText(correlation[a][b], 4) +
                           ": the data can not tell them apart");
      }
    }
  }
  return correlation;
}

std::array<std::optional<double>, kQuantityCount> RmsPerQuantity(
    const std::vector<TRow>& rows, const std::vector<double>& predicted) {
  std::array<double, kQuantityCount> squares{};
  std::array<int, kQuantityCount> counts{};
  for (std::size_t i = 0; i < rows.size() && i < predicted.size(); ++i) {
    const std::size_t q = static_cast<std::size_t>(rows[i].What);
    squares[q] += (predicted[i] - rows[i].Measured) * (predicted[i] - rows[i].Measured);
    ++counts[q];
  }
  std::array<std::optional<double>, kQuantityCount> rms;
  for (const Quantity quantity : kQuantities) {
    const std::size_t q = static_cast<std::size_t>(quantity);
    if (counts[q] > 0) rms[q] = std::sqrt(squares[q] / counts[q]);
  }
  return rms;
}

std::array<std::optional<double>, kQuantityCount> NormalisedRmsPerQuantity(
    const std::vector<TRow>& rows, const std::vector<double>& predicted,
    const std::array<std::optional<double>, kQuantityCount>& estimated) {
  std::array<double, kQuantityCount> squares{};
  std::array<int, kQuantityCount> counts{};
  for (std::size_t i = 0; i < rows.size() && i < predicted.size(); ++i) {
    const std::size_t q = static_cast<std::size_t>(rows[i].What);
    const double r = (predicted[i] - rows[i].Measured) / rows[i].Sigma;
    squares[q] += r * r;
    ++counts[q];
  }
  std::array<std::optional<double>, kQuantityCount> rms;
  for (const Quantity quantity : kQuantities) {
    const std::size_t q = static_cast<std::size_t>(quantity);
    if (counts[q] > 0 && !estimated[q]) rms[q] = std::sqrt(squares[q] / counts[q]);
  }
  return rms;
}

std::optional<TLackOfFit> LackOfFitOf(double chi_square, int dof) {
  if (dof < 1 || !std::isfinite(chi_square)) return std::nullopt;
  TLackOfFit test;
  test.ChiSquare = chi_square;
  test.DegreesOfFreedom = dof;
  test.PValue = gsl_cdf_chisq_Q(chi_square, static_cast<double>(dof));
  test.Described = test.PValue >= 0.01;
  return test;
}

std::vector<std::vector<double>> CovarianceRows(const gsl_matrix& covariance) {
  std::vector<std::vector<double>> rows(covariance.size1, std::vector<double>(covariance.size2));
  for (std::size_t a = 0; a < covariance.size1; ++a) {
    for (std::size_t b = 0; b < covariance.size2; ++b) {
      rows[a][b] = gsl_matrix_get(&covariance, a, b);
    }
  }
  return rows;
}

std::vector<std::vector<double>> NaturalCovariance(const gsl_matrix& covariance,
                                                   const std::vector<TScale>& scales,
                                                   const std::vector<double>& theta) {
  std::vector<std::vector<double>> rows = CovarianceRows(covariance);
  for (std::size_t a = 0; a < rows.size(); ++a) {
    for (std::size_t b = 0; b < rows.size(); ++b) {
      rows[a][b] *= scales[a].Slope(theta[a]) * scales[b].Slope(theta[b]);
    }
  }
  return rows;
}

bool IsUsableCovariance(const gsl_matrix& covariance) {
  for (std::size_t a = 0; a < covariance.size1; ++a) {
    for (std::size_t b = 0; b < covariance.size2; ++b) {
      if (!std::isfinite(gsl_matrix_get(&covariance, a, b))) return false;
    }
    if (!(gsl_matrix_get(&covariance, a, a) > 0.0)) return false;
  }
  return true;
}

}  // namespace vellmor::fit
