#include "vellmor/documents/profile_document.h"

#include <nlohmann/json.hpp>

#include <array>
#include <charconv>
#include <limits>

#include "vellmor/documents/document_kind.h"
#include "vellmor/physics/numerics.h"

namespace vellmor {
namespace {

using Json = nlohmann::json;

std::optional<TProcessNumbers> NumbersOf(const Json& numbers) {
  if (!numbers.is_object()) return std::nullopt;
  TProcessNumbers read;
  const bool frozen =
      numbers.contains("freeze_point_cm") && numbers.at("freeze_point_cm").is_number();
  // The freeze point's own numbers only with a freeze point (a document without one writes
  // them as null); its position first, which makes it.
  for (const TProcessNumberInfo& info : kProcessNumberTable) {
    const std::string name(info.Key);
    if (!numbers.contains(name)) return std::nullopt;
    if (name.starts_with("freeze_") && !frozen) continue;
    if (!numbers[name].is_number()) return std::nullopt;
    info.Set(read, numbers[name].get<double>());
  }
  return read;
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
  if (structure.contains("onset_cm") && structure.at("onset_cm").is_number()) {
    summary.Onset = structure.at("onset_cm").get<double>();
  }
  summary.Coupled = structure.value("coupled", false);
  return summary;
}

// A column of an older document under today's key, in today's unit.
void Renamed(std::string& key, std::vector<double>& values) {
  for (const TRenamedColumn& renamed : kRenamedColumns) {
    if (key != renamed.Old) continue;
    key = renamed.Now;
    for (double& value : values) value *= renamed.Factor;
  }
}

// The columns every profile has, which the viewer draws.
constexpr std::array<std::string_view, 6> kLineColumns{"x_cm", "v_m_min", "f_dyn",
                                                       "t_C",  "d_um",    "ta_C"};

bool HasTheLine(const TProfileTable& table) {
  for (const std::string_view key : kLineColumns) {
    if (table.Column(key) == nullptr) return false;
  }
  return true;
}

std::string Named(std::string_view file_name, std::string_view what) {
  return std::string(file_name) + std::string(what);
}

}  // namespace

namespace {

std::variant<TProfileDocument, std::string> ProfileJsonOf(std::string_view bytes,
                                                          std::string_view file_name) {
  const Json document = Json::parse(WithoutByteOrderMark(bytes), nullptr, false);
  if (document.is_discarded() || !document.is_object() || !document.contains("profile")) {
    return Named(file_name, " is not the JSON of vellmor-cli or vellmor-cli solve");
  }
  if (document.value("status", std::string()) != "succeeded" ||
      !document.at("profile").is_object()) {
    std::string why = Named(file_name, " holds no profile: its run did not succeed");
    if (document.contains("message") && document.at("message").is_string()) {
      why += " (" + document.at("message").get<std::string>() + ")";
    }
    return why;
  }
  TProfileDocument read;
  // Version 1 called it format_version.
  read.SchemaVersion = document.value("schema_version", document.value("format_version", 1));
  read.Converged = document.contains("model");
  const Json& profile = document.at("profile");
  const std::size_t length =
      profile.contains("x_cm") && profile.at("x_cm").is_array() ? profile.at("x_cm").size() : 0;
  const auto damaged =
      Named(file_name, " is damaged: its profile or process numbers are incomplete");
  for (const auto& [key, values] : profile.items()) {
    if (!values.is_array() || values.size() != length) return damaged;
    std::vector<double> column;
    column.reserve(length);
    for (const Json& value : values) {
      // Not finite values were written as null.
      column.push_back(value.is_number() ? value.get<double>()
                                         : std::numeric_limits<double>::quiet_NaN());
    }
    std::string name = key;
    Renamed(name, column);
    read.Profile.Columns.emplace_back(std::move(name), std::move(column));
  }
  const std::optional<TProcessNumbers> numbers =
      NumbersOf(document.value("process_numbers", Json()));
  if (length == 0 || !numbers || !HasTheLine(read.Profile)) return damaged;
  read.Numbers = *numbers;
  if (document.contains("structure")) read.Structure = StructureOf(document.at("structure"));
  if (document.contains("inputs") && document.at("inputs").is_object()) {
    for (const auto& [key, input] : document.at("inputs").items()) {
      if (input.is_object() && input.contains("value") && input.at("value").is_number()) {
        read.Inputs.emplace_back(key, input.at("value").get<double>());
      }
    }
  }
  if (read.Structure && (read.Profile.Column("birefringence") == nullptr ||
                         read.Profile.Column("crystallinity") == nullptr)) {
    return Named(file_name, " is damaged: its structure has no profile");
  }
  return read;
}

}  // namespace

std::variant<TProfileDocument, std::string> ReadProfileJson(std::string_view bytes,
                                                            std::string_view file_name) {
  try {
    return ProfileJsonOf(bytes, file_name);
  } catch (const Json::exception& error) {
    return DamagedJson(file_name, error);
  }
}

std::variant<TProfileDocument, std::string> ReadProfileCsv(std::string_view bytes,
                                                           std::string_view file_name) {
  bytes = WithoutByteOrderMark(bytes);
  std::vector<std::string_view> lines;
  for (std::size_t start = 0; start < bytes.size();) {
    std::size_t end = bytes.find('\n', start);
    if (end == std::string_view::npos) end = bytes.size();
    std::string_view line = bytes.substr(start, end - start);
    if (line.ends_with('\r')) line.remove_suffix(1);
    if (!line.empty()) lines.push_back(line);
    start = end + 1;
  }
  // The exports' own CSV: plain cells, commas between them, no quoting needed.
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
  if (lines.size() < 2) return Named(file_name, " holds no profile: its run did not succeed");
  const std::vector<std::string_view> header = cells(lines.front());
  std::vector<std::vector<double>> columns(header.size());
  for (std::size_t l = 1; l < lines.size(); ++l) {
    const std::vector<std::string_view> row = cells(lines[l]);
    if (row.size() != header.size()) {
      return Named(file_name, ", line " + std::to_string(l + 1) + ": " +
                                  std::to_string(row.size()) + " cells, the header has " +
                                  std::to_string(header.size()));
    }
    for (std::size_t c = 0; c < row.size(); ++c) {
      // An empty cell is a value that was not finite.
      double value = std::numeric_limits<double>::quiet_NaN();
      if (!row[c].empty()) {
        const auto [end, error] =
            std::from_chars(row[c].data(), row[c].data() + row[c].size(), value);
        if (error != std::errc() || end != row[c].data() + row[c].size()) {
          return Named(file_name, ", line " + std::to_string(l + 1) +
                                      ": not a number: " + std::string(row[c]));
        }
      }
      columns[c].push_back(value);
    }
  }
  TProfileDocument read;
  for (std::size_t c = 0; c < header.size(); ++c) {
    std::string name(header[c]);
    Renamed(name, columns[c]);
    read.Profile.Columns.emplace_back(std::move(name), std::move(columns[c]));
  }
  if (!HasTheLine(read.Profile)) {
    return Named(file_name, " is not a profile: its header lacks a column");
  }
  read.Converged = read.Profile.Column("ten_re_gf_den") == nullptr;
  const std::vector<double>& x = *read.Profile.Column("x_cm");
  const std::vector<double>& v = *read.Profile.Column("v_m_min");
  const std::vector<double>& d = *read.Profile.Column("d_um");
  // The samples of the line in the core's units: cm/s and cm.
  std::vector<double> v_cm_s, d_cm;
  for (std::size_t i = 0; i < x.size(); ++i) {
    v_cm_s.push_back(v[i] * 100.0 / 60.0);
    d_cm.push_back(d[i] / kMicrometresPerCm);
  }
  const std::vector<double>& f = *read.Profile.Column("f_dyn");
  // No output and no take-up speed: what depends on them is not a number.
  const double unknown = std::numeric_limits<double>::quiet_NaN();
  read.Numbers = ProcessNumbersOf(TSpinlineSamples{x, v_cm_s, f, *read.Profile.Column("t_C"), d_cm},
                                  unknown, unknown);
  read.Numbers.SpinneretTensionDyn = f.front();
  return read;
}

}  // namespace vellmor
