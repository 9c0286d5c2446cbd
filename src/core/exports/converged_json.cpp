#include "vellmor/exports/converged_json.h"

#include "vellmor/exports/json_parts.h"
#include "vellmor/exports/run_json.h"
#include "vellmor/exports/uncertainty_json.h"
#include "vellmor/physics/numerics.h"

namespace vellmor {
namespace {

using Json = nlohmann::ordered_json;

Json Summary(const TConvergedSolution& solution, const TSpinCondition& condition) {
  return {
      {"passes", solution.Passes},
      {"spinneret_tension_dyn", solution.SpinneretTension},
      {"take_up_tension_dyn", solution.TakeUpTension},
      {"final_velocity_m_min", MetresPerMinute(solution.FinalVelocity)},
      {"take_up_velocity_m_min", condition.TakeUpSpeed},
      {"final_diameter_um", solution.FinalDiameter * kMicrometresPerCm},
      {"final_temperature_C", solution.FinalTemperature},
  };
}

Json StructureJson(const TStructureSummary& structure) {
  Json out = Json::object();
  for (const TStructureNumberInfo& number : kStructureNumbers) {
    const std::optional<double> value = number.Value(structure);
    out[std::string(number.Key)] = value ? Json(*value) : Json(nullptr);
  }
  out["coupled"] = structure.Coupled;
  return out;
}

Json SensitivitiesJson(const TSensitivities& sensitivities) {
  Json out = Json::object();
  for (std::size_t i = 0; i < kSensitivityOutputs.size(); ++i) {
    Json row = Json::object();
    for (std::size_t j = 0; j < sensitivities.Parameters.size(); ++j) {
      const std::optional<double>& elasticity = sensitivities.Elasticity[i][j];
      row[std::string(sensitivities.Parameters[j].Name)] =
          elasticity ? Json(*elasticity) : Json(nullptr);
    }
    out[std::string(kSensitivityOutputs[i])] = std::move(row);
  }
  return out;
}

}  // namespace

Json ModelCardJson(const ModelCard& card) {
  Json out = ModelCardConstantsJson(card);
  if (const auto& u = card.Uncertainty()) {
    Json log_scale = Json::array();
    for (const bool log : u->LogScale) log_scale.push_back(log);
    out["uncertainty"] = {{"keys", u->Keys},
                          {"log_scale", std::move(log_scale)},
                          {"estimates", u->Estimates},
                          {"covariance", u->Covariance},
                          {"degrees_of_freedom", u->DegreesOfFreedom},
                          {"residual_scale", u->ResidualScale}};
  }
  return out;
}

Json ModelCardConstantsJson(const ModelCard& card) {
  Json out = Json::object();
  // The card's format, so that the card read back from a document keeps its laws.
  out["version"] = kModelCardVersion;
  out["name"] = card.Name();
  for (const TModelKey& key : kModelKeys) {
    const TKeyValue value = card.Get(key);
    Json shown;
    if (const auto* number = std::get_if<TCardNumber>(&value)) {
      shown = number->Value;
    } else if (const auto* flag = std::get_if<bool>(&value)) {
      shown = *flag;
    } else {
      shown = card.Text(key);
    }
    if (key.Section().empty()) {
      out[std::string(key.Key())] = std::move(shown);
    } else {
      out[std::string(key.Section())][std::string(key.Key())] = std::move(shown);
    }
  }
  return out;
}

Json ConvergedRunJson(const TConvergedRecord& record) {
  const TConvergedRun& run = record.Run;
  const bool succeeded = run.Status == RunStatus::kSucceeded;
  Json document;
  document["schema_version"] = kSchemaVersion;
  if (record.Program != nullptr) document["program"] = json_parts::Program(*record.Program);
  document["decimal_separator"] = std::string(1, record.DecimalSeparator);
  document["inputs"] =
      json_parts::Inputs(record.Texts, record.DecimalSeparator, json_parts::InputFields::kNumeric);
  document["status"] = StatusName(run.Status);
  document["message"] = succeeded ? Json(nullptr) : Json(run.Message);
  document["summary"] = succeeded ? Summary(*run.Solution, run.Condition) : Json(nullptr);
  document["process_numbers"] =
      run.Numbers ? json_parts::ProcessNumbers(*run.Numbers) : Json(nullptr);
  const bool with_structure = succeeded && run.Solution->Structure.has_value();
  document["profile"] = succeeded && record.WithProfile
                            ? json_parts::ConvergedProfile(run.Solution->Profile, with_structure)
                            : Json(nullptr);
  if (record.Uncertainty != nullptr && document["profile"].is_object()) {
    AddProfileBands(document["profile"], *record.Uncertainty, with_structure);
  }
  document["structure"] = with_structure ? StructureJson(*run.Solution->Structure) : Json(nullptr);
  document["model"] = ModelCardJson(record.Card);
  document["warnings"] = record.Warnings;
  document["sensitivities"] =
      record.Sensitivities != nullptr ? SensitivitiesJson(*record.Sensitivities) : Json(nullptr);
  document["uncertainty"] =
      record.Uncertainty != nullptr ? UncertaintyJson(*record.Uncertainty) : Json(nullptr);
  return document;
}

std::string ConvergedRunJsonText(const TConvergedRecord& record) {
  return json_parts::DocumentText(ConvergedRunJson(record));
}

}  // namespace vellmor
