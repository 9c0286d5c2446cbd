#include "vellmor/fit/plausibility.h"

#include <cmath>

#include "vellmor/base/number_text.h"

namespace vellmor {
namespace {

std::string Text(double value, int digits = 4) { return SignificantText(value, digits); }

const TFitCase* CaseOf(const std::vector<TFitCase>& cases, const TMeasurement& m) {
  if (m.Case.empty()) return cases.size() == 1 ? &cases.front() : nullptr;
  for (const TFitCase& c : cases) {
    if (c.Name == m.Case) return &c;
  }
  return nullptr;
}

// The thinnest filament the case can give, at its take-up speed with the densest melt of the
// card's law (µm).
double ThinnestDiameterUm(const TFitCase& c) {
  const double mass_flow = c.Condition.Output / 60.0;           // g/s
  const double speed = c.Condition.TakeUpSpeed * 100.0 / 60.0;  // cm/s
  const double density = c.Card.Constants().Laws.DensityIntercept;
  return std::sqrt(4.0 * mass_flow / (std::acos(-1.0) * density * speed)) * 1e4;
}

}  // namespace

std::optional<std::string> ImplausibleMeasurement(const std::vector<TFitCase>& cases,
                                                  const std::vector<TMeasurement>& data,
                                                  std::string_view source) {
  for (const TMeasurement& m : data) {
    // A measurement of no known case is refused where the cases are matched, with its words.
    const TFitCase* c = CaseOf(cases, m);
    if (c == nullptr) continue;
    const double slack = 3.0 * m.Sigma.value_or(0.0);
    const std::string spot = std::string(source) + ", line " + std::to_string(m.Line) + ": " +
                             std::string(QuantityName(m.What)) + " " + Text(m.Value, 6);
    const std::string of_case = "case " + c->Name + " (" + Text(c->Condition.Output) +
                                " g/min at " + Text(c->Condition.TakeUpSpeed) + " m/min)";
    switch (m.What) {
      case Quantity::kDiameterUm: {
        const double thinnest = ThinnestDiameterUm(*c);
        if (m.Value + slack < 0.98 * thinnest) {
          return spot + " is below the " + Text(thinnest, 3) +
                 " µm the mass balance gives at the take-up speed of " + of_case +
                 ": a diameter in another unit, or of another line?";
        }
        break;
      }
      case Quantity::kVelocityMMin:
        if (m.Value - slack > 1.02 * c->Condition.TakeUpSpeed) {
          return spot + " is above the take-up speed of " + of_case +
                 ", the fastest the filament runs";
        }
        break;
      case Quantity::kTemperatureC:
        if (m.Value - slack > c->Condition.MeltTemperature + 1.0) {
          return spot + " is above the melt's " + Text(c->Condition.MeltTemperature) +
                 " °C of case " + c->Name + ": the line only cools";
        }
        break;
      default:
        break;
    }
  }
  return std::nullopt;
}

}  // namespace vellmor
