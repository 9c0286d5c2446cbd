#include "vellmor/fit/measurement_rows.h"

#include "vellmor/base/number_text.h"

namespace vellmor::fit {

std::variant<std::vector<TRow>, std::string> RowsOf(const std::vector<TFitCase>& cases,
                                                    const std::vector<TMeasurement>& measurements,
                                                    std::string_view what) {
  const auto text = [](double value) { return ShortestText(value).value_or("nan"); };
  std::vector<TRow> rows;
  for (const TMeasurement& m : measurements) {
    const std::string spot = std::string(what) + " line " + std::to_string(m.Line) + ": ";
    std::size_t k = 0;
    if (m.Case.empty()) {
      if (cases.size() != 1) {
        return spot + "no case named, and the cases file has " + std::to_string(cases.size());
      }
    } else {
      while (k < cases.size() && cases[k].Name != m.Case) ++k;
      if (k == cases.size()) return spot + "case '" + m.Case + "' is not among the cases";
    }
    const double length = cases[k].Condition.Zones[3].EndPosition;
    if (m.X > length) {
      return spot + "x_cm " + text(m.X) + " lies beyond the take-up point of case " +
             cases[k].Name + " (" + text(length) + " cm)";
    }
    rows.push_back({k, m.X, m.What, m.Value, m.Sigma.value_or(0.0), m.Line});
  }
  return rows;
}

}  // namespace vellmor::fit
