#include "gui/measured_overlay.h"

#include <map>

#include "vellmor/documents/fit_document.h"
#include "vellmor/fit/measured_data.h"

namespace vellmor::gui {
namespace {

// The plot a measured quantity is drawn over.
TPlot PlotOf(Quantity quantity) {
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
  return TPlot::kDiameter;
}

std::vector<TOverlaySet> MeasuredSets(const TMeasuredData& data, const QString& file_name) {
  std::map<std::string, TOverlaySet> by_case;
  std::vector<std::string> order;
  for (const TMeasurement& m : data.Rows) {
    auto [at, added] = by_case.try_emplace(m.Case);
    if (added) {
      order.push_back(m.Case);
      at->second.Name = m.Case.empty()
                            ? file_name
                            : file_name + QStringLiteral(": ") + QString::fromStdString(m.Case);
    }
    at->second.Points.push_back(
        {PlotOf(m.What), m.X, m.Value, m.Sigma.value_or(0.0), std::nullopt});
  }
  std::vector<TOverlaySet> sets;
  for (const std::string& name : order) sets.push_back(std::move(by_case[name]));
  return sets;
}

}  // namespace

std::variant<std::vector<TOverlaySet>, QString> ReadOverlay(
    std::string_view bytes, const QString& file_name, DocumentKind kind,
    std::vector<std::string>& warnings, std::vector<TFittedConstant>& constants) {
  const std::string name = file_name.toStdString();
  if (kind != DocumentKind::kFitJson) {
    auto data = ReadMeasuredData(bytes, name);
    if (const auto* problem = std::get_if<std::string>(&data)) {
      return QString::fromStdString(*problem);
    }
    return MeasuredSets(std::get<TMeasuredData>(data), file_name);
  }
  auto read = ReadFitJson(bytes, name);
  if (const auto* problem = std::get_if<std::string>(&read))
    return QString::fromStdString(*problem);
  const TFitDocument& document = std::get<TFitDocument>(read);
  for (const TCardWarning& warning : document.Card.Warnings) warnings.push_back(warning.Message);
  constants.insert(constants.end(), document.Constants.begin(), document.Constants.end());
  const std::vector<std::optional<TConvergedSolution>> solved = SolveFitCases(document);
  std::vector<TOverlaySet> sets;
  for (std::size_t k = 0; k < document.Cases.size(); ++k) {
    const TFitDocumentCase& c = document.Cases[k];
    TOverlaySet set;
    set.Name = file_name + QStringLiteral(": ") + QString::fromStdString(c.Name) +
               QStringLiteral(" (fitted)");
    set.Inputs = c.Inputs;
    for (const TFitPoint& point : c.Points) {
      set.Points.push_back(
          {PlotOf(point.What), point.X, point.Measured, point.Sigma, point.Normalised});
    }
    if (solved[k]) set.Curves = CurvesOf(solved[k]->Profile, c.Structure);
    sets.push_back(std::move(set));
  }
  return sets;
}

}  // namespace vellmor::gui
