#include "vellmor/exports/stability_json.h"

#include <cmath>
#include <numbers>

#include "vellmor/exports/converged_json.h"
#include "vellmor/exports/run_json.h"

namespace vellmor {
namespace {

using Json = nlohmann::ordered_json;

Json ModeJson(const TStabilityMode& mode) {
  Json out;
  out["growth_rate_per_s"] = mode.Lambda.real();
  out["angular_frequency_per_s"] = mode.Lambda.imag();
  out["coarse_growth_rate_per_s"] = mode.Coarse.real();
  out["coarse_angular_frequency_per_s"] = mode.Coarse.imag();
  out["converged"] = mode.Converged;
  return out;
}

// The line's verdict and its leading modes.
Json LineJson(const TLineStability& line) {
  Json out;
  out["verdict"] = line.Stable() ? "stable" : "unstable";
  out["growth_rate_per_s"] = line.GrowthRate();
  out["angular_frequency_per_s"] = line.AngularFrequency();
  out["frequency_hz"] = line.AngularFrequency() / (2.0 * std::numbers::pi);
  out["margin_per_s"] = -line.GrowthRate();
  out["coarse_growth_rate_per_s"] = line.CoarseGrowthRate;
  out["converged"] = line.Leading().Converged;
  out["exit_velocity_cm_s"] = line.ExitVelocity;
  out["take_up_velocity_cm_s"] = line.TakeUpVelocity;
  out["draw_ratio"] = line.DrawRatio();
  out["length_cm"] = line.Length;
  out["residence_time_s"] = line.Steady.ResidenceTime;
  out["freeze_point_cm"] = line.Steady.FreezePoint ? Json(*line.Steady.FreezePoint) : Json(nullptr);
  out["section_ends_cm"] = line.Ends;
  Json coarse = Json::array(), fine = Json::array();
  for (const int n : line.Intervals) {
    coarse.push_back(n);
    fine.push_back(FineIntervals(n));
  }
  out["coarse_intervals"] = coarse;
  out["fine_intervals"] = fine;
  Json modes = Json::array();
  for (const TStabilityMode& mode : line.Modes) modes.push_back(ModeJson(mode));
  out["modes"] = modes;
  return out;
}

Json CriticalJson(std::string_view key, const TCriticalPoint& point) {
  Json out;
  out["key"] = key;
  out["found"] = point.Found;
  out["direction"] = point.Upwards ? "up" : "down";
  out["value"] = point.Found ? Json(point.Value) : Json(nullptr);
  out["limit"] = point.Found ? Json(nullptr) : Json(point.Value);
  const TLineStability& line = *point.Line;
  out["draw_ratio"] = point.Found ? Json(line.DrawRatio()) : Json(nullptr);
  out["angular_frequency_per_s"] = point.Found ? Json(line.AngularFrequency()) : Json(nullptr);
  out["frequency_hz"] =
      point.Found ? Json(line.AngularFrequency() / (2.0 * std::numbers::pi)) : Json(nullptr);
  // ω L / v0: the classical dimensionless frequency.
  out["angular_frequency_l_v0"] =
      point.Found ? Json(line.AngularFrequency() * line.Length / line.ExitVelocity) : Json(nullptr);
  out["growth_rate_per_s"] = line.GrowthRate();
  out["analyses"] = point.Evaluations;
  return out;
}

Json ResponseJson(Disturbance disturbance, const std::vector<TResponsePoint>& points) {
  Json out;
  out["disturbance"] = DisturbanceName(disturbance);
  out["quantity"] = "titre at take-up, d(rho A)/(rho A) per unit relative disturbance";
  Json hz = Json::array(), amplitude = Json::array(), phase = Json::array();
  for (const TResponsePoint& point : points) {
    hz.push_back(point.FrequencyHz);
    amplitude.push_back(std::abs(point.Gain));
    phase.push_back(std::arg(point.Gain) * 180.0 / std::numbers::pi);
  }
  out["frequency_hz"] = hz;
  out["amplitude"] = amplitude;
  out["phase_deg"] = phase;
  return out;
}

}  // namespace

Json StabilityJson(const TStabilityRecord& record) {
  Json document;
  document["schema_version"] = kSchemaVersion;
  if (record.Program != nullptr) document["program"] = json_parts::Program(*record.Program);
  document["command"] = "stability";
  document["decimal_separator"] = std::string(1, record.DecimalSeparator);
  document["inputs"] =
      json_parts::Inputs(record.Texts, record.DecimalSeparator, json_parts::InputFields::kNumeric);
  document["stability"] = LineJson(record.Line);
  document["critical"] = record.Critical != nullptr
                             ? CriticalJson(record.CriticalKey, *record.Critical)
                             : Json(nullptr);
  document["response"] =
      record.Response ? ResponseJson(*record.Response, record.Points) : Json(nullptr);
  document["model"] = ModelCardJson(record.Card);
  document["warnings"] = record.Warnings;
  return document;
}

}  // namespace vellmor
