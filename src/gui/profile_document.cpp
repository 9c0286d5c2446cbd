#include "gui/profile_document.h"

#include <nlohmann/json.hpp>

#include <array>
#include <charconv>
#include <cstddef>
#include <limits>
#include <string>
#include <utility>
#include <vector>

#include "core/physics/numerics.h"

namespace vellmor::gui {
namespace {

using Json = nlohmann::json;

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

bool IsProfileCsv(std::string_view head) {
  if (head.starts_with("\xEF\xBB\xBF")) head.remove_prefix(3);
  return head.starts_with("x_cm,v_m_min,f_dyn,t_C,d_um,") ||
         head.starts_with("x_cm,v_m_min,f_dyn,t_C,d_cm,");
}

std::variant<TProfileDocument, QString> ReadProfileCsv(std::string_view bytes,
                                                       const QString& file_name) {
  if (bytes.starts_with("\xEF\xBB\xBF")) bytes.remove_prefix(3);
  std::vector<std::string_view> lines;
  for (std::size_t start = 0; start < bytes.size();) {
    std::size_t end = bytes.find('\n', start);
    if (end == std::string_view::npos) end = bytes.size();
    std::string_view line = bytes.substr(start, end - start);
    if (line.ends_with('\r')) line.remove_suffix(1);
    if (!line.empty()) lines.push_back(line);
    start = end + 1;
  }
  const auto cells = [](std::string_view line) {
    std::vector<std::string_view> out;
    for (std::size_t start = 0;;) {
      const std::size_t comma = line.find(',', start);
      out.push_back(
          line.substr(start, comma == std::string_view::npos ? line.npos : comma - start));
      if (comma == std::string_view::npos) break;
      start = comma + 1;
    }
    return out;
  };
  const std::vector<std::string_view> header =
      lines.empty() ? std::vector<std::string_view>{} : cells(lines.front());
  if (lines.size() < 2) {
    return file_name + QStringLiteral(" holds no profile: its run did not succeed");
  }
  std::vector<std::vector<double>> columns(header.size());
  for (std::size_t l = 1; l < lines.size(); ++l) {
    const std::vector<std::string_view> row = cells(lines[l]);
    if (row.size() != header.size()) {
      return file_name + QStringLiteral(", line %1: %2 cells, the header has %3")
                             .arg(l + 1)
                             .arg(row.size())
                             .arg(header.size());
    }
    for (std::size_t c = 0; c < row.size(); ++c) {
      // An empty cell is a value that was not finite.
      double value = std::numeric_limits<double>::quiet_NaN();
      if (!row[c].empty()) {
        const auto [end, error] =
            std::from_chars(row[c].data(), row[c].data() + row[c].size(), value);
        if (error != std::errc() || end != row[c].data() + row[c].size()) {
          return file_name +
                 QStringLiteral(", line %1: not a number: %2")
                     .arg(l + 1)
                     .arg(QString::fromUtf8(row[c].data(), static_cast<qsizetype>(row[c].size())));
        }
      }
      columns[c].push_back(value);
    }
  }
  const auto column = [&](std::string_view name) -> const std::vector<double>* {
    for (std::size_t c = 0; c < header.size(); ++c) {
      if (header[c] == name) return &columns[c];
    }
    return nullptr;
  };
  const bool in_um = column("d_um") != nullptr;
  const std::vector<double>* x = column("x_cm");
  const std::vector<double>* v = column("v_m_min");
  const std::vector<double>* f = column("f_dyn");
  const std::vector<double>* t = column("t_C");
  const std::vector<double>* d = column(in_um ? "d_um" : "d_cm");
  const std::vector<double>* ta = column("ta_C");
  if (x == nullptr || v == nullptr || f == nullptr || t == nullptr || d == nullptr ||
      ta == nullptr) {
    return file_name + QStringLiteral(" is not a profile: its header lacks a column");
  }
  TProfileDocument read;
  read.Converged = column("ten_re_gf_den") == nullptr && column("ten_re_g_den") == nullptr;
  const double to_um = in_um ? 1.0 : kMicrometresPerCm;
  // The samples of the line in the core's units: cm/s and cm.
  std::vector<double> v_cm_s;
  std::vector<double> d_cm;
  for (std::size_t i = 0; i < x->size(); ++i) {
    read.Curves.Velocity.append({(*x)[i], (*v)[i]});
    read.Curves.Tension.append({(*x)[i], (*f)[i]});
    read.Curves.Temperature.append({(*x)[i], (*t)[i]});
    read.Curves.Diameter.append({(*x)[i], (*d)[i] * to_um});
    read.Curves.AirTemperature.append({(*x)[i], (*ta)[i]});
    v_cm_s.push_back((*v)[i] * 100.0 / 60.0);
    d_cm.push_back((*d)[i] * to_um / kMicrometresPerCm);
  }
  const std::vector<double>* birefringence = column("birefringence");
  const std::vector<double>* crystallinity = column("crystallinity");
  if (birefringence != nullptr && crystallinity != nullptr) {
    for (std::size_t i = 0; i < x->size(); ++i) {
      read.Curves.Birefringence.append({(*x)[i], (*birefringence)[i]});
      read.Curves.Crystallinity.append({(*x)[i], (*crystallinity)[i]});
    }
  }
  // No output and no take-up speed: what depends on them is not a number, shown as a dash.
  const double unknown = std::numeric_limits<double>::quiet_NaN();
  read.Numbers = ProcessNumbersOf(TSpinlineSamples{*x, v_cm_s, *f, *t, d_cm}, unknown, unknown);
  read.Numbers.SpinneretTensionDyn = f->front();
  return read;
}

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
