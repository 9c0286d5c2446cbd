#include "vellmor/exports/bundle_json.h"

#include "vellmor/base/csv.h"
#include "vellmor/converged/converged_numbers.h"
#include "vellmor/exports/converged_json.h"
#include "vellmor/exports/profile_columns.h"
#include "vellmor/exports/run_json.h"

namespace vellmor {
namespace {

using Json = nlohmann::ordered_json;

Json Optional(const std::optional<double>& value) { return value ? Json(*value) : Json(nullptr); }

Json RowJson(std::size_t index, const TBundleRow& row, const TSpinCondition& condition,
             const TSpinlineConstants<double>& k) {
  const TConvergedSolution& solution = row.Solution;
  Json out;
  out["row"] = index + 1;
  out["passes"] = solution.Passes;
  out["spinneret_tension_dyn"] = solution.SpinneretTension;
  out["freeze_point_cm"] = Optional(solution.FreezePoint);
  out["final_temperature_C"] = solution.FinalTemperature;
  out["take_up_tension_dyn"] = solution.TakeUpTension;
  out["process_numbers"] = json_parts::ProcessNumbers(ProcessNumbersOf(solution, condition, k));
  if (solution.Structure) {
    Json structure = Json::object();
    for (const TStructureNumberInfo& number : kStructureNumbers) {
      structure[std::string(number.Key)] = Optional(number.Value(*solution.Structure));
    }
    structure["coupled"] = solution.Structure->Coupled;
    out["structure"] = std::move(structure);
  } else {
    out["structure"] = nullptr;
  }
  out["profile"] = solution.Profile.empty() ? Json(nullptr)
                                            : json_parts::ConvergedProfile(
                                                  solution.Profile, solution.Structure.has_value());
  return out;
}

Json AirJson(const TBundleSolution& bundle) {
  Json zones = Json::array();
  for (std::size_t z = 0; z < bundle.Nodes.size(); ++z) {
    Json temperature = Json::array();
    Json velocity = Json::array();
    const auto add = [&](const TRowAir& air) {
      temperature.push_back(air.Temperature[z]);
      velocity.push_back(air.Velocity[z]);
    };
    for (const TBundleRow& row : bundle.Rows) add(row.Met);
    add(bundle.Leaving);
    zones.push_back({{"zone", bundle.Nodes[z].Zone},
                     {"x_cm", bundle.Nodes[z].X},
                     {"temperature_C", std::move(temperature)},
                     {"velocity_cm_s", std::move(velocity)}});
  }
  return zones;
}

Json SpreadJson(const std::optional<TRowSpread>& spread) {
  if (!spread) return nullptr;
  return {{"first", spread->First},
          {"last", spread->Last},
          {"mean", spread->Mean},
          {"range", spread->Range},
          {"coefficient_of_variation", spread->Variation}};
}

Json EnergyJson(const TEnergyBalance& balance) {
  Json rows = Json::array();
  for (std::size_t r = 0; r < balance.Rows.size(); ++r) {
    rows.push_back({{"row", r + 1},
                    {"air_gain_cal_s", balance.Rows[r].AirGain},
                    {"filament_loss_cal_s", balance.Rows[r].FilamentLoss}});
  }
  return {{"air_gain_cal_s", balance.AirGain},
          {"filament_loss_cal_s", balance.FilamentLoss},
          {"relative_difference", balance.RelativeDifference},
          {"rows", std::move(rows)}};
}

}  // namespace

Json BundleJson(const TBundleRecord& record) {
  const TBundleRun& run = record.Run;
  const bool succeeded = run.Status == RunStatus::kSucceeded;
  Json document;
  document["schema_version"] = kSchemaVersion;
  if (record.Program != nullptr) document["program"] = json_parts::Program(*record.Program);
  document["decimal_separator"] = std::string(1, record.DecimalSeparator);
  document["inputs"] =
      json_parts::Inputs(record.Texts, record.DecimalSeparator, json_parts::InputFields::kNumeric);
  document["status"] = StatusName(run.Status);
  document["message"] = succeeded ? Json(nullptr) : Json(run.Message);
  Json rows = nullptr;
  Json air = nullptr;
  Json spread = nullptr;
  Json energy = nullptr;
  if (succeeded) {
    rows = Json::array();
    const TBundleSolution& bundle = *run.Solution;
    for (std::size_t r = 0; r < bundle.Rows.size(); ++r) {
      rows.push_back(RowJson(r, bundle.Rows[r], run.Condition, record.Card.Constants().Laws));
    }
    air = AirJson(bundle);
    spread = {{"freeze_point_cm", SpreadJson(run.Spread->FreezePoint)},
              {"birefringence", SpreadJson(run.Spread->Birefringence)},
              {"spinneret_tension_dyn", SpreadJson(run.Spread->SpinneretTension)},
              {"take_up_tension_dyn", SpreadJson(run.Spread->TakeUpTension)}};
    energy = EnergyJson(*run.Energy);
  }
  document["rows"] = std::move(rows);
  document["air"] = std::move(air);
  document["spread"] = std::move(spread);
  document["energy_balance"] = std::move(energy);
  document["model"] = ModelCardJson(record.Card);
  document["warnings"] = record.Warnings;
  return document;
}

std::string BundleProfileCsv(const TBundleRun& run, bool with_structure) {
  std::vector<TConvergedColumn> columns(kConvergedColumns.begin(), kConvergedColumns.end());
  if (with_structure) {
    columns.insert(columns.end(), kStructureColumns.begin(), kStructureColumns.end());
  }
  CsvRecord header;
  header.Plain("row");
  for (const TConvergedColumn& column : columns) header.Plain(column.ExportName);
  std::string csv = std::move(header).End();
  if (!run.Solution) return csv;
  for (std::size_t r = 0; r < run.Solution->Rows.size(); ++r) {
    for (const TConvergedSample& sample : run.Solution->Rows[r].Solution.Profile) {
      CsvRecord record;
      record.Number(static_cast<double>(r + 1));
      for (const TConvergedColumn& column : columns) record.Number(column.Value(sample));
      csv += std::move(record).End();
    }
  }
  return csv;
}

}  // namespace vellmor
