#include "vellmor/exports/run_json.h"

#include "vellmor/exports/json_parts.h"

#include <cmath>
#include <optional>
#include <string>

#include "vellmor/analysis/process_numbers.h"
#include "vellmor/exports/profile_columns.h"
#include "vellmor/inputs/input_fields.h"
#include "vellmor/inputs/number_conversion.h"
#include "vellmor/physics/numerics.h"

namespace vellmor {

using Json = nlohmann::ordered_json;

namespace json_parts {

// Each field's text as typed and what it converts to; the save file name is its own value.
Json Inputs(const TInputTexts& texts, char decimal_separator, InputFields fields) {
  Json inputs = Json::object();
  for (const TInputField& field : kInputFields) {
    if (fields == InputFields::kNumeric && !field.Numeric()) continue;
    const std::string& text = texts.*field.Text;
    Json value = text;
    if (field.Numeric()) {
      const std::optional<double> number = ConvertNumber(text, decimal_separator);
      value = number ? Json(*number) : Json(nullptr);
    }
    inputs[std::string(field.Key)] = {{"text", text}, {"value", std::move(value)}};
  }
  return inputs;
}

std::string DocumentText(const Json& document) {
  return document.dump(2, ' ', false, Json::error_handler_t::replace) + '\n';
}

Json Program(const TProgram& program) {
  return {
      {"name", program.Name}, {"version", program.Version}, {"command_line", program.CommandLine}};
}

Json ProcessNumbers(const TProcessNumbers& numbers) {
  Json out = Json::object();
  for (const TNamedNumber& named : NamedProcessNumbers(numbers)) {
    out[std::string(named.Name)] = named.Value ? Json(*named.Value) : Json(nullptr);
  }
  // A count, not a measurement.
  out["passes"] = numbers.Passes;
  return out;
}

Json ConvergedProfile(std::span<const TConvergedSample> samples, bool with_structure) {
  Json out = Json::object();
  const auto add = [&](const TConvergedColumn& column) {
    Json values = Json::array();
    for (const TConvergedSample& sample : samples) values.push_back(column.Value(sample));
    out[std::string(column.ExportName)] = std::move(values);
  };
  for (const TConvergedColumn& column : kConvergedColumns) add(column);
  if (with_structure) {
    for (const TConvergedColumn& column : kStructureColumns) add(column);
  }
  return out;
}

}  // namespace json_parts

namespace {

using json_parts::ConvergedProfile;
using json_parts::Inputs;
using json_parts::ProcessNumbers;

Json Summary(const TRunSummary& summary) {
  return {
      {"passes", summary.Passes},
      {"spinneret_tension_dyn", summary.Tension},
      {"final_velocity_m_min", MetresPerMinute(summary.FinalVelocity)},
      {"take_up_velocity_m_min", MetresPerMinute(summary.TakeUpVelocity)},
      {"final_diameter_um", summary.FinalDiameter * kMicrometresPerCm},
      {"final_temperature_C", summary.FinalTemperature},
      {"result_file", summary.SaveFileName},
  };
}

Json Passes(const std::vector<TPassRecord>& passes) {
  Json out = Json::array();
  for (const TPassRecord& pass : passes) {
    out.push_back({
        {"pass", pass.Pass},
        {"tension_dyn", pass.Tension},
        {"final_velocity_m_min", MetresPerMinute(pass.FinalVelocity)},
        {"last_point", pass.LastPoint},
        {"ran_away", pass.RanAway},
    });
  }
  return out;
}

Json Profile(std::span<const TResultRow> rows) {
  Json out = Json::object();
  for (const TResultColumn& column : kResultColumns) {
    Json values = Json::array();
    for (const TResultRow& row : rows) values.push_back(ExportValue(column, row));
    out[std::string(column.ExportName)] = std::move(values);
  }
  return out;
}

// A number, or null where there is none or it is not finite (an error relative to 0).
Json NumberOrNull(std::optional<double> value) {
  return value && std::isfinite(*value) ? Json(*value) : Json(nullptr);
}

// The same keys whatever the outcome; a failure has its message and nulls.
Json Converged(const TAccuracyCheck& check) {
  const TConvergedSolution* solution = check.Solution ? &*check.Solution : nullptr;
  const TAccuracyReport* report = check.Report ? &*check.Report : nullptr;
  auto value = [](const auto* from, auto get) {
    return from != nullptr ? NumberOrNull(get(*from)) : Json(nullptr);
  };
  Json errors = nullptr;
  if (report != nullptr) {
    errors = {
        {"spinneret_tension", NumberOrNull(report->SpinneretTension.ErrorPercent)},
        {"take_up_tension", NumberOrNull(report->TakeUpTension.ErrorPercent)},
        {"final_temperature", NumberOrNull(report->FinalTemperature.ErrorPercent)},
        {"final_diameter", NumberOrNull(report->FinalDiameter.ErrorPercent)},
        {"freeze_point", NumberOrNull(report->FreezePointErrorPercent)},
    };
  }
  using S = TConvergedSolution;
  using R = TAccuracyReport;
  return {
      {"status", solution != nullptr ? "succeeded" : "failed"},
      {"message", solution != nullptr ? Json(nullptr) : Json(check.Failure)},
      {"passes", solution != nullptr ? Json(solution->Passes) : Json(nullptr)},
      {"spinneret_tension_dyn", value(solution, [](const S& s) { return s.SpinneretTension; })},
      {"take_up_tension_dyn", value(solution, [](const S& s) { return s.TakeUpTension; })},
      {"final_temperature_C", value(solution, [](const S& s) { return s.FinalTemperature; })},
      {"final_diameter_um",
       value(solution, [](const S& s) { return s.FinalDiameter * kMicrometresPerCm; })},
      {"freeze_point_cm", value(solution, [](const S& s) { return s.FreezePoint; })},
      {"classical_error_percent", std::move(errors)},
      {"suggested_increment_cm", value(report, [](const R& r) { return r.SuggestedIncrement; })},
      {"suggested_points", report != nullptr ? Json(report->SuggestedPoints) : Json(nullptr)},
      {"suggested_increment_fits",
       report != nullptr ? Json(report->SuggestedIncrementFits) : Json(nullptr)},
      {"suggested_increment_error_percent",
       value(report, [](const R& r) { return r.SuggestedIncrementErrorPercent; })},
      {"profile", solution != nullptr ? ConvergedProfile(solution->Profile) : Json(nullptr)},
  };
}

}  // namespace

Json RunJson(const TRunRecord& run) {
  const TRunOutcome& outcome = run.Outcome;
  const bool succeeded = outcome.Status == RunStatus::kSucceeded;
  Json document;
  document["schema_version"] = kSchemaVersion;
  if (run.Program != nullptr) document["program"] = json_parts::Program(*run.Program);
  document["decimal_separator"] = std::string(1, run.DecimalSeparator);
  document["inputs"] = Inputs(run.Texts, run.DecimalSeparator);
  document["status"] = StatusName(outcome.Status);
  document["message"] = succeeded ? Json(nullptr) : Json(std::string(run.Message));
  document["summary"] = succeeded ? Summary(outcome.Summary) : Json(nullptr);
  document["process_numbers"] = outcome.Numbers ? ProcessNumbers(*outcome.Numbers) : Json(nullptr);
  document["warnings"] = outcome.Warnings;
  document["passes"] = Passes(outcome.Passes);
  document["profile"] = succeeded && !run.Rows.empty() ? Profile(run.Rows) : Json(nullptr);
  document["converged"] =
      succeeded && run.Converged != nullptr ? Converged(*run.Converged) : Json(nullptr);
  return document;
}

std::string RunJsonText(const TRunRecord& run) { return json_parts::DocumentText(RunJson(run)); }

}  // namespace vellmor
