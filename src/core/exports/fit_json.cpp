#include "vellmor/exports/fit_json.h"

#include <cmath>

#include "vellmor/exports/converged_json.h"
#include "vellmor/exports/json_parts.h"
#include "vellmor/exports/run_json.h"

namespace vellmor {
namespace {

using Json = nlohmann::ordered_json;

Json Number(double value) { return std::isfinite(value) ? Json(value) : Json(nullptr); }

Json Pair(const std::array<double, 2>& pair) {
  return Json::array({Number(pair[0]), Number(pair[1])});
}

Json PerQuantity(const std::array<std::optional<double>, kQuantityCount>& values) {
  Json out = Json::object();
  for (const Quantity q : kQuantities) {
    if (const auto& value = values[static_cast<std::size_t>(q)]) {
      out[std::string(QuantityName(q))] = Number(*value);
    }
  }
  return out;
}

void AddResult(Json& document, const TFitResult& result) {
  Json parameters = Json::array();
  for (const TParameterEstimate& p : result.Parameters) {
    parameters.push_back(
        {{"key", std::string(p.Key)},
         {"estimate", Number(p.Estimate)},
         {"standard_error", Number(p.StandardError)},
         {"wald_95", Pair(p.Wald95)},
         {"profile_95", p.Profile95 ? Pair(*p.Profile95) : Json(nullptr)},
         {"log_scale", p.LogScale},
         {"at_bound", p.AtBound},
         {"standard_error_scaled",
          p.ScaledStandardError ? Number(*p.ScaledStandardError) : Json(nullptr)},
         {"wald_95_scaled", p.ScaledWald95 ? Pair(*p.ScaledWald95) : Json(nullptr)}});
  }
  document["parameters"] = std::move(parameters);
  Json correlation = Json::array();
  for (const auto& row : result.Correlation) {
    Json cells = Json::array();
    for (const double v : row) cells.push_back(Number(v));
    correlation.push_back(std::move(cells));
  }
  document["correlation"] = std::move(correlation);
  const auto matrix = [](const std::vector<std::vector<double>>& rows) {
    if (rows.empty()) return Json(nullptr);
    Json out = Json::array();
    for (const auto& row : rows) {
      Json cells = Json::array();
      for (const double v : row) cells.push_back(Number(v));
      out.push_back(std::move(cells));
    }
    return out;
  };
  document["covariance"] = {{"fitting_scale", matrix(result.Covariance)},
                            {"natural_scale", matrix(result.NaturalCovariance)}};
  document["chi_square"] = Number(result.ChiSquare);
  document["degrees_of_freedom"] = result.DegreesOfFreedom;
  document["sigma_estimated"] = PerQuantity(result.EstimatedSigma);
  document["rms"] = PerQuantity(result.Rms);
  document["rms_normalised"] = PerQuantity(result.NormalisedRms);
  document["lack_of_fit"] = result.LackOfFit
                                ? Json{{"chi_square", Number(result.LackOfFit->ChiSquare)},
                                       {"degrees_of_freedom", result.LackOfFit->DegreesOfFreedom},
                                       {"p_value", Number(result.LackOfFit->PValue)},
                                       {"described", result.LackOfFit->Described}}
                                : Json(nullptr);
  Json cases = Json::array();
  for (const TCaseFit& c : result.Cases) {
    Json residuals = Json::array();
    for (const TResidual& r : c.Residuals) {
      residuals.push_back({{"x_cm", Number(r.X)},
                           {"quantity", std::string(QuantityName(r.What))},
                           {"measured", Number(r.Measured)},
                           {"model", Number(r.Model)},
                           {"sigma", Number(r.Sigma)},
                           {"normalised", Number(r.Normalised)},
                           {"line", r.Line}});
    }
    Json inputs =
        json_parts::Inputs(c.Texts, c.DecimalSeparator, json_parts::InputFields::kNumeric);
    cases.push_back(
        {{"case", c.Name},
         {"decimal_separator", std::string(1, c.DecimalSeparator)},
         {"inputs", std::move(inputs)},
         {"spinneret_tension_dyn", Number(c.SpinneretTensionDyn)},
         {"freeze_point_cm", c.FreezePointCm ? Number(*c.FreezePointCm) : Json(nullptr)},
         {"residuals", std::move(residuals)}});
  }
  document["cases"] = std::move(cases);
  document["iterations"] = result.Iterations;
  document["model_solves"] = result.ModelSolves;
  document["warnings"] = result.Warnings;
  Json suggestions = Json::array();
  for (const TSuggestion& s : result.Suggestions) {
    Json errors = Json::object();
    for (std::size_t j = 0; j < result.Parameters.size(); ++j) {
      errors[std::string(result.Parameters[j].Key)] = Number(s.StandardErrorsAfter[j]);
    }
    suggestions.push_back({{"case", s.Candidate.Case},
                           {"x_cm", Number(s.Candidate.X)},
                           {"quantity", std::string(QuantityName(s.Candidate.What))},
                           {"sigma", Number(s.Sigma)},
                           {"standard_errors_after", std::move(errors)}});
  }
  document["suggestions"] = std::move(suggestions);
  document["model"] = ModelCardJson(result.Fitted);
}

}  // namespace

Json FitJson(const std::variant<TFitResult, TFitFailure>& fit, const TProgram* program) {
  Json document;
  document["schema_version"] = kSchemaVersion;
  if (program != nullptr) document["program"] = json_parts::Program(*program);
  if (const auto* result = std::get_if<TFitResult>(&fit)) {
    document["status"] = "fitted";
    document["message"] = nullptr;
    AddResult(document, *result);
    return document;
  }
  const TFitFailure& failure = std::get<TFitFailure>(fit);
  document["status"] = failure.Kind == FitFailureKind::kRefused ? "refused" : "failed";
  document["message"] = failure.Message;
  if (failure.Last) AddResult(document, *failure.Last);
  return document;
}

std::string FitJsonText(const std::variant<TFitResult, TFitFailure>& fit, const TProgram* program) {
  return json_parts::DocumentText(FitJson(fit, program));
}

}  // namespace vellmor
