#include "vellmor/uncertainty/scaled_constants.h"

#include <cmath>
#include <exception>
#include <variant>

#include "vellmor/base/number_text.h"
#include "vellmor/base/run_error.h"

namespace vellmor::uncertainty {

std::variant<TScaledConstants, std::string> ScaledConstants(const TCardUncertainty& uncertainty,
                                                            const TModelConstants& model,
                                                            std::vector<std::string>& warnings) {
  TScaledConstants scaled;
  const std::size_t n = uncertainty.Keys.size();
  std::vector<double> factor(n, 1.0);
  for (std::size_t i = 0; i < n; ++i) {
    const std::string& path = uncertainty.Keys[i];
    const TModelKey* key = FindModelKey(path);
    if (key == nullptr || !key->IsNumber()) {
      return "uncertainty: " + path + " is no number of the card";
    }
    const double value = ModelValue(model, *key);
    const bool log = uncertainty.LogScale[i];
    if (log && !(value > 0.0)) {
      return "uncertainty: " + path + " was fitted as its logarithm, but the card's value is " +
             SignificantText(value);
    }
    const double estimate = uncertainty.Estimates[i];
    if (std::fabs(value - estimate) > 1e-9 * std::fabs(estimate)) {
      warnings.push_back("uncertainty: " + path + " is " + SignificantText(value) +
                         " on the card but was fitted as " + SignificantText(estimate) +
                         "; the intervals are taken about the card's value");
    }
    scaled.Keys.push_back(key);
    scaled.Log.push_back(log);
    scaled.Centre.push_back(log ? std::log(value) : value);
    // d ln p = dp / p: the covariance of the logarithms at the card's values.
    factor[i] = log ? value : 1.0;
  }
  scaled.Covariance.assign(n, std::vector<double>(n, 0.0));
  for (std::size_t i = 0; i < n; ++i) {
    for (std::size_t j = 0; j < n; ++j) {
      scaled.Covariance[i][j] = uncertainty.Covariance[i][j] / (factor[i] * factor[j]);
    }
  }
  return scaled;
}

std::optional<TAnswers> SolveWith(const TUncertainCase& solved, const TScaledConstants& constants,
                                  const std::vector<double>& u, std::string& why) {
  TConvergedOptions options = *solved.Options;
  for (std::size_t i = 0; i < constants.Keys.size(); ++i) {
    const TModelKey& key = *constants.Keys[i];
    const double value = constants.Log[i] ? std::exp(u[i]) : u[i];
    if (auto out = OutOfRange(key, value)) {
      why = std::string(key.Path) + " " + *out;
      return std::nullopt;
    }
    SetModelValue(options.Model, key, value);
  }
  const TConvergedSolution& base = *solved.Solution;
  if (base.ResidualSlope != 0.0) {
    options.Start = TConvergedOptions::TStart{base.SpinneretTension, base.ResidualSlope};
  }
  try {
    const TConvergedSolution solution = SolveConverged(*solved.Condition, options);
    return AnswersOf(solution, *solved.Condition, options.Model.Laws);
  } catch (const CalculationError& error) {
    why = error.what();
  } catch (const std::exception& error) {
    why = error.what();
  }
  return std::nullopt;
}

}  // namespace vellmor::uncertainty
