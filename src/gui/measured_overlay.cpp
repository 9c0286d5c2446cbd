#include "gui/measured_overlay.h"

#include "gui/profile_document.h"

#include <nlohmann/json.hpp>

#include <map>

#include "core/converged/converged_run.h"
#include "core/fit/measured_data.h"
#include "core/inputs/input_fields.h"
#include "core/model_card/model_card.h"

namespace vellmor::gui {
namespace {

// The plot a measured quantity is drawn over.
std::optional<TPlot> PlotOf(Quantity quantity) {
  switch (quantity) {
    case Quantity::kDiameterUm:
      return TPlot::kDiameter;
    case Quantity::kTemperatureC:
      return TPlot::kTemperature;
    case Quantity::kVelocityMMin:
      return TPlot::kVelocity;
    case Quantity::kTensionDyn:
      return TPlot::kTension;
    case Quantity::kBirefringence:
      return TPlot::kBirefringence;
    case Quantity::kCrystallinity:
      return TPlot::kCrystallinity;
  }
  return std::nullopt;
}

std::vector<TOverlaySet> MeasuredSets(const TMeasuredData& data, const QString& file_name) {
  std::map<std::string, TOverlaySet> by_case;
  std::vector<std::string> order;
  for (const TMeasurement& m : data.Rows) {
    const std::optional<TPlot> plot = PlotOf(m.What);
    if (!plot) continue;
    auto [at, added] = by_case.try_emplace(m.Case);
    if (added) {
      order.push_back(m.Case);
      at->second.Name = m.Case.empty()
                            ? file_name
                            : file_name + QStringLiteral(": ") + QString::fromStdString(m.Case);
    }
    at->second.Points.push_back({*plot, m.X, m.Value, m.Sigma.value_or(0.0), std::nullopt});
  }
  std::vector<TOverlaySet> sets;
  for (const std::string& name : order) sets.push_back(std::move(by_case[name]));
  return sets;
}

// The card of a fit's JSON: every key of the built-in card that the document's model holds.
ModelCard CardOf(const nlohmann::json& model) {
  ModelCard card;
  if (model.contains("name") && model["name"].is_string()) {
    card.SetName(model["name"].get<std::string>());
  }
  for (const TModelKey& key : kModelKeys) {
    const std::string section(key.Section());
    const std::string name(key.Key());
    const nlohmann::json* value = nullptr;
    if (section.empty() && model.contains(name)) value = &model[name];
    if (!section.empty() && model.contains(section) && model[section].contains(name)) {
      value = &model[section][name];
    }
    if (value != nullptr && value->is_number()) card.SetValue(key, value->get<double>());
  }
  if (model.contains("structure") && model["structure"].is_object() &&
      model["structure"].contains("coupled") && model["structure"]["coupled"].is_boolean()) {
    card.Set(*FindModelKey("structure.coupled"), model["structure"]["coupled"].get<bool>());
  }
  return card;
}

std::variant<std::vector<TOverlaySet>, QString> FitSets(std::string_view bytes,
                                                        const QString& file_name) {
  const nlohmann::json document = nlohmann::json::parse(bytes, nullptr, false);
  if (document.is_discarded() || !document.is_object() || !document.contains("cases") ||
      !document["cases"].is_array() || !document.contains("model")) {
    return file_name + QStringLiteral(" is not the JSON of vellmor-cli fit");
  }
  const ModelCard card = CardOf(document["model"]);
  std::vector<TOverlaySet> sets;
  for (const nlohmann::json& c : document["cases"]) {
    TOverlaySet set;
    bool structure = false;
    const QString case_name = QString::fromStdString(c.value("case", std::string()));
    set.Name = file_name + QStringLiteral(": ") + case_name + QStringLiteral(" (fitted)");
    if (c.contains("residuals") && c["residuals"].is_array()) {
      for (const nlohmann::json& r : c["residuals"]) {
        const auto quantity = FindQuantity(r.value("quantity", std::string()));
        if (!quantity || !PlotOf(*quantity) || !r["x_cm"].is_number() ||
            !r["measured"].is_number()) {
          continue;
        }
        structure = structure || IsStructureQuantity(*quantity);
        const double sigma = r["sigma"].is_number() ? r["sigma"].get<double>() : 0.0;
        std::optional<double> normalised;
        if (r.contains("normalised") && r["normalised"].is_number()) {
          normalised = r["normalised"].get<double>();
        }
        set.Points.push_back({*PlotOf(*quantity), r["x_cm"].get<double>(),
                              r["measured"].get<double>(), sigma, normalised});
      }
    }
    // The case solved again as the fit left it.
    const char separator =
        c.contains("decimal_separator") && c["decimal_separator"] == "," ? ',' : '.';
    TInputTexts texts = DefaultInputTexts(separator);
    if (c.contains("inputs") && c["inputs"].is_object()) {
      for (const TInputField& field : kInputFields) {
        // Documents before schema 3 named the inputs as the runner's options.
        for (const std::string& name : {std::string(field.Key), field.Option()}) {
          if (c["inputs"].contains(name) && c["inputs"][name].contains("text") &&
              c["inputs"][name]["text"].is_string()) {
            texts.*field.Text = c["inputs"][name]["text"].get<std::string>();
          }
        }
      }
    }
    TConvergedRunOptions options;
    options.DecimalSeparator = separator;
    options.Model = card.Constants();
    // Solved with the structure where the fit measured it, as the fit solved it.
    options.Structure = structure;
    const TConvergedRun run = RunConverged(texts, options);
    if (run.Solution) set.Curves = CurvesOf(run.Solution->Profile, structure);
    sets.push_back(std::move(set));
  }
  return sets;
}

}  // namespace

OverlayKind OverlayKindOf(std::string_view bytes) {
  if (bytes.starts_with("\xEF\xBB\xBF")) bytes.remove_prefix(3);
  const std::size_t first = bytes.find_first_not_of(" \t\r\n");
  if (first != std::string_view::npos && bytes[first] == '{') return OverlayKind::kJson;
  const std::string_view header = bytes.substr(0, bytes.find('\n'));
  if (header.find("x_cm") != std::string_view::npos &&
      header.find("quantity") != std::string_view::npos) {
    return OverlayKind::kMeasured;
  }
  if (IsProfileCsv(header)) return OverlayKind::kProfileCsv;
  return OverlayKind::kNone;
}

std::variant<std::vector<TOverlaySet>, QString> ReadOverlay(std::string_view bytes,
                                                            const QString& file_name,
                                                            OverlayKind kind) {
  if (kind == OverlayKind::kJson) return FitSets(bytes, file_name);
  auto data = ReadMeasuredData(bytes, file_name.toStdString());
  if (const auto* problem = std::get_if<std::string>(&data)) {
    return QString::fromStdString(*problem);
  }
  return MeasuredSets(std::get<TMeasuredData>(data), file_name);
}

}  // namespace vellmor::gui
