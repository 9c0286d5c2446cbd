#include "gui/profile_document.h"

#include <nlohmann/json.hpp>

#include <array>
#include <cstddef>
#include <string>
#include <utility>
#include <vector>

namespace vellmor::gui {
namespace {

using Json = nlohmann::json;

constexpr double kMicrometresPerCm = 1e4;

// Where each process number of the document goes; the freeze point's four only with a freeze
// point (a document without one writes them as null).
using NumberSetter = void (*)(TProcessNumbers&, double);
constexpr std::array<std::pair<std::string_view, NumberSetter>, 15> kNumberSetters{{
    {"freeze_point_cm", [](TProcessNumbers& n, double v) { n.Freeze.emplace().PositionCm = v; }},
    {"freeze_velocity_m_min", [](TProcessNumbers& n, double v) { n.Freeze->VelocityMMin = v; }},
    {"freeze_tension_dyn", [](TProcessNumbers& n, double v) { n.Freeze->TensionDyn = v; }},
    {"freeze_stress_MPa", [](TProcessNumbers& n, double v) { n.Freeze->StressMPa = v; }},
    {"take_up_tension_dyn", [](TProcessNumbers& n, double v) { n.TakeUpTensionDyn = v; }},
    {"fineness_dtex", [](TProcessNumbers& n, double v) { n.FinenessDtex = v; }},
    {"fineness_denier", [](TProcessNumbers& n, double v) { n.FinenessDenier = v; }},
    {"draw_down_ratio", [](TProcessNumbers& n, double v) { n.DrawDownRatio = v; }},
    {"residence_time_s", [](TProcessNumbers& n, double v) { n.ResidenceTimeS = v; }},
    {"max_strain_rate_1_s", [](TProcessNumbers& n, double v) { n.MaxStrainRate1S = v; }},
    {"max_strain_rate_at_cm", [](TProcessNumbers& n, double v) { n.MaxStrainRateAtCm = v; }},
    {"final_diameter_um", [](TProcessNumbers& n, double v) { n.FinalDiameterUm = v; }},
    {"final_temperature_C", [](TProcessNumbers& n, double v) { n.FinalTemperatureC = v; }},
    {"spinneret_tension_dyn", [](TProcessNumbers& n, double v) { n.SpinneretTensionDyn = v; }},
    {"passes", [](TProcessNumbers& n, double v) { n.Passes = static_cast<int>(v); }},
}};

std::optional<TProcessNumbers> NumbersOf(const Json& numbers) {
  if (!numbers.is_object()) return std::nullopt;
  TProcessNumbers read;
  const bool frozen = numbers.contains("freeze_point_cm") && numbers["freeze_point_cm"].is_number();
  for (const auto& [key, set] : kNumberSetters) {
    const std::string name(key);
    if (!numbers.contains(name)) return std::nullopt;
    if (key.starts_with("freeze_") && !frozen) continue;
    if (!numbers[name].is_number()) return std::nullopt;
    set(read, numbers[name].get<double>());
  }
  return read;
}

// One column of the profile as numbers, or nullopt when it is missing, is not an array of
// numbers or has another length than x.
std::optional<std::vector<double>> ColumnOf(const Json& profile, const char* name,
                                            std::size_t length) {
  if (!profile.contains(name) || !profile[name].is_array() || profile[name].size() != length) {
    return std::nullopt;
  }
  std::vector<double> values;
  values.reserve(length);
  for (const Json& value : profile[name]) {
    if (!value.is_number()) return std::nullopt;
    values.push_back(value.get<double>());
  }
  return values;
}

std::optional<TStructureSummary> StructureOf(const Json& structure) {
  if (!structure.is_object()) return std::nullopt;
  TStructureSummary summary;
  for (const auto& [name, field] :
       {std::pair{"birefringence", &TStructureSummary::Birefringence},
        std::pair{"orientation", &TStructureSummary::Orientation},
        std::pair{"crystallinity", &TStructureSummary::Crystallinity}}) {
    if (!structure.contains(name) || !structure[name].is_number()) return std::nullopt;
    summary.*field = structure[name].get<double>();
  }
  if (structure.contains("onset_cm") && structure["onset_cm"].is_number()) {
    summary.Onset = structure["onset_cm"].get<double>();
  }
  summary.Coupled = structure.value("coupled", false);
  return summary;
}

}  // namespace

bool IsProfileDocument(std::string_view bytes) {
  const Json document = Json::parse(bytes, nullptr, false);
  return document.is_object() && document.contains("profile") && !document.contains("cases");
}

std::variant<TProfileDocument, QString> ReadProfileDocument(std::string_view bytes,
                                                            const QString& file_name) {
  const Json document = Json::parse(bytes, nullptr, false);
  if (document.is_discarded() || !document.is_object() || !document.contains("profile")) {
    return file_name + QStringLiteral(" is not the JSON of vellmor-cli or vellmor-cli solve");
  }
  if (document.value("status", std::string()) != "succeeded" || !document["profile"].is_object()) {
    QString why = file_name + QStringLiteral(" holds no profile: its run did not succeed");
    if (document.contains("message") && document["message"].is_string()) {
      why += QStringLiteral(" (") + QString::fromStdString(document["message"].get<std::string>()) +
             u')';
    }
    return why;
  }
  const Json& profile = document["profile"];
  const std::size_t length = profile.contains("x_cm") ? profile["x_cm"].size() : 0;
  // Documents before schema 2 gave the diameter in cm.
  const bool in_um = profile.contains("d_um");
  std::array<std::optional<std::vector<double>>, 6> columns{
      ColumnOf(profile, "x_cm", length),
      ColumnOf(profile, "v_m_min", length),
      ColumnOf(profile, "f_dyn", length),
      ColumnOf(profile, "t_C", length),
      ColumnOf(profile, in_um ? "d_um" : "d_cm", length),
      ColumnOf(profile, "ta_C", length)};
  const double diameter_scale = in_um ? 1.0 : kMicrometresPerCm;
  const std::optional<TProcessNumbers> numbers =
      NumbersOf(document.value("process_numbers", Json()));
  for (const auto& column : columns) {
    if (!column || length == 0 || !numbers) {
      return file_name +
             QStringLiteral(" is damaged: its profile or process numbers are incomplete");
    }
  }
  TProfileDocument read;
  read.Converged = document.contains("model");
  read.Numbers = *numbers;
  const auto& [x, v, f, t, d, ta] = columns;
  for (std::size_t i = 0; i < length; ++i) {
    const double at = (*x)[i];
    read.Curves.Velocity.append({at, (*v)[i]});
    read.Curves.Tension.append({at, (*f)[i]});
    read.Curves.Temperature.append({at, (*t)[i]});
    read.Curves.Diameter.append({at, (*d)[i] * diameter_scale});
    read.Curves.AirTemperature.append({at, (*ta)[i]});
  }
  if (document.contains("structure")) read.Structure = StructureOf(document["structure"]);
  if (read.Structure) {
    const auto birefringence = ColumnOf(profile, "birefringence", length);
    const auto crystallinity = ColumnOf(profile, "crystallinity", length);
    if (!birefringence || !crystallinity) {
      return file_name + QStringLiteral(" is damaged: its structure has no profile");
    }
    for (std::size_t i = 0; i < length; ++i) {
      read.Curves.Birefringence.append({(*x)[i], (*birefringence)[i]});
      read.Curves.Crystallinity.append({(*x)[i], (*crystallinity)[i]});
    }
  }
  return read;
}

}  // namespace vellmor::gui
