#include "vellmor/documents/fit_document.h"

#include <nlohmann/json.hpp>

#include "vellmor/converged/converged_run.h"
#include "vellmor/documents/card_json.h"
#include "vellmor/documents/document_kind.h"
#include "vellmor/inputs/input_fields.h"

namespace vellmor {
namespace {

using Json = nlohmann::json;

TFitDocumentCase CaseOf(const Json& c) {
  TFitDocumentCase read;
  read.Name = c.value("case", std::string());
  read.DecimalSeparator =
      c.contains("decimal_separator") && c.at("decimal_separator") == "," ? ',' : '.';
  read.Texts = DefaultInputTexts(read.DecimalSeparator);
  if (c.contains("inputs") && c.at("inputs").is_object()) {
    const Json& inputs = c.at("inputs");
    for (const TInputField& field : kInputFields) {
      // Documents before schema 3 named the inputs as the runner's options.
      for (const std::string& name : {std::string(field.Key), field.Option()}) {
        if (inputs.contains(name) && inputs[name].is_object() && inputs[name].contains("text") &&
            inputs[name]["text"].is_string()) {
          read.Texts.*field.Text = inputs[name]["text"].get<std::string>();
        }
        if (field.Numeric() && inputs.contains(name) && inputs.at(name).is_object() &&
            inputs.at(name).contains("value") && inputs.at(name).at("value").is_number()) {
          read.Inputs.emplace_back(std::string(field.Key),
                                   inputs.at(name).at("value").get<double>());
        }
      }
    }
  }
  if (!c.contains("residuals") || !c.at("residuals").is_array()) return read;
  for (const Json& r : c.at("residuals")) {
    if (!r.is_object()) continue;
    const std::optional<Quantity> quantity = FindQuantity(r.value("quantity", std::string()));
    if (!quantity || !r.contains("x_cm") || !r.at("x_cm").is_number() || !r.contains("measured") ||
        !r.at("measured").is_number()) {
      continue;
    }
    read.Structure = read.Structure || IsStructureQuantity(*quantity);
    TFitPoint point{*quantity, r.at("x_cm").get<double>(), r.at("measured").get<double>(), 0.0, {}};
    if (r.contains("sigma") && r.at("sigma").is_number()) point.Sigma = r.at("sigma").get<double>();
    if (r.contains("normalised") && r.at("normalised").is_number()) {
      point.Normalised = r.at("normalised").get<double>();
    }
    read.Points.push_back(point);
  }
  return read;
}

}  // namespace

namespace {

std::variant<TFitDocument, std::string> FitJsonOf(std::string_view bytes,
                                                  std::string_view file_name) {
  const Json document = Json::parse(WithoutByteOrderMark(bytes), nullptr, false);
  if (document.is_discarded() || !document.is_object() || !document.contains("cases") ||
      !document.at("cases").is_array() || !document.contains("model")) {
    return std::string(file_name) + " is not the JSON of vellmor-cli fit";
  }
  TFitDocument read;
  read.SchemaVersion = document.value("schema_version", document.value("format_version", 1));
  auto card = ReadCardJson(document.at("model"), std::string(file_name) + " (its model)");
  if (auto* problem = std::get_if<TCardProblem>(&card)) return std::move(problem->Message);
  read.Card = std::get<TReadCard>(std::move(card));
  for (const Json& c : document.at("cases")) {
    if (c.is_object()) read.Cases.push_back(CaseOf(c));
  }
  if (document.contains("parameters") && document.at("parameters").is_array()) {
    for (const Json& p : document.at("parameters")) {
      if (!p.is_object() || !p.contains("key") || !p.at("key").is_string() ||
          !p.contains("estimate") || !p.at("estimate").is_number()) {
        continue;
      }
      TFittedConstant constant;
      constant.Key = p.at("key").get<std::string>();
      constant.Estimate = p.at("estimate").get<double>();
      // The profile likelihood's interval where the fit found it: it follows the model's
      // curvature, which the Wald interval takes as straight.
      for (const char* name : {"wald_95", "profile_95"}) {
        if (p.contains(name) && p.at(name).is_array() && p.at(name).size() == 2 &&
            p.at(name).at(0).is_number() && p.at(name).at(1).is_number()) {
          constant.Lo = p.at(name).at(0).get<double>();
          constant.Hi = p.at(name).at(1).get<double>();
          constant.Profile = std::string_view(name) == "profile_95";
        }
      }
      read.Constants.push_back(std::move(constant));
    }
  }
  return read;
}

}  // namespace

std::variant<TFitDocument, std::string> ReadFitJson(std::string_view bytes,
                                                    std::string_view file_name) {
  try {
    return FitJsonOf(bytes, file_name);
  } catch (const Json::exception& error) {
    return DamagedJson(file_name, error);
  }
}

std::vector<std::optional<TConvergedSolution>> SolveFitCases(const TFitDocument& document,
                                                             int points) {
  std::vector<std::optional<TConvergedSolution>> solutions;
  for (const TFitDocumentCase& c : document.Cases) {
    TConvergedRunOptions options;
    options.DecimalSeparator = c.DecimalSeparator;
    options.Model = document.Card.Card.Constants();
    options.Structure = c.Structure;
    options.Positions.Points = points;
    TConvergedRun run = RunConverged(c.Texts, options);
    solutions.push_back(std::move(run.Solution));
  }
  return solutions;
}

}  // namespace vellmor
