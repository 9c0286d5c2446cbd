#include "vellmor/exports/uncertainty_json.h"

#include "vellmor/analysis/process_numbers.h"
#include "vellmor/exports/profile_columns.h"
#include "vellmor/structure/structure_summary.h"

namespace vellmor {
namespace {

using Json = nlohmann::ordered_json;

Json Bound(const std::optional<TInterval>& interval, bool high) {
  if (!interval) return nullptr;
  return high ? interval->Hi : interval->Lo;
}

Json Entry(const std::optional<TInterval>& interval, const std::optional<double>& deviation) {
  return {{"lo", Bound(interval, false)},
          {"hi", Bound(interval, true)},
          {"standard_deviation", deviation ? Json(*deviation) : Json(nullptr)}};
}

}  // namespace

std::vector<std::string> ProfileAnswerNames(bool with_structure) {
  std::vector<std::string> names;
  for (const TConvergedColumn& column : kConvergedColumns) names.emplace_back(column.ExportName);
  if (with_structure) {
    for (const TConvergedColumn& column : kStructureColumns) names.emplace_back(column.ExportName);
  }
  return names;
}

Json UncertaintyJson(const TPropagatedUncertainty& uncertainty) {
  const TUncertaintySettings& settings = uncertainty.Settings;
  Json out;
  out["method"] = std::string(UncertaintyMethodName(settings.Method));
  out["level"] = uncertainty.Level;
  out["keys"] = uncertainty.Keys;
  if (settings.Method == UncertaintyMethod::kMonteCarlo) {
    out["samples"] = settings.Samples;
    out["seed"] = settings.Seed;
    out["failed_samples"] = uncertainty.FailedSamples;
  }
  const auto& intervals = uncertainty.Intervals;
  const auto& deviations = uncertainty.StandardDeviations;
  Json numbers = Json::object();
  for (std::size_t i = 0; i < intervals.Process.size(); ++i) {
    const std::string_view key = kProcessNumberTable[i].Key;
    if (key == "passes") continue;  // a count of the solution's, not an answer
    numbers[std::string(key)] = Entry(intervals.Process[i], deviations.Process[i]);
  }
  out["process_numbers"] = std::move(numbers);
  if (intervals.Structure.empty()) {
    out["structure"] = nullptr;
  } else {
    Json structure = Json::object();
    for (std::size_t i = 0; i < intervals.Structure.size(); ++i) {
      structure[std::string(kStructureNumbers[i].Key)] =
          Entry(intervals.Structure[i], deviations.Structure[i]);
    }
    out["structure"] = std::move(structure);
  }
  return out;
}

void AddProfileBands(Json& profile, const TPropagatedUncertainty& uncertainty,
                     bool with_structure) {
  const std::vector<std::string> names = ProfileAnswerNames(with_structure);
  const auto& columns = uncertainty.Intervals.Profile;
  // The position is where the profile is sampled, not an answer.
  for (std::size_t c = 1; c < columns.size() && c < names.size(); ++c) {
    for (const bool high : {false, true}) {
      Json values = Json::array();
      for (const auto& interval : columns[c]) values.push_back(Bound(interval, high));
      profile[names[c] + (high ? "_hi" : "_lo")] = std::move(values);
    }
  }
}

}  // namespace vellmor
