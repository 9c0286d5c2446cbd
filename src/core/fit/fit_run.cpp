#include "vellmor/fit/fit_run.h"

#include <utility>

#include "vellmor/fit/fit_cases.h"
#include "vellmor/fit/measured_data.h"
#include "vellmor/sweep/cases_table.h"

namespace vellmor {

std::variant<TFitRun, std::string> RunFit(const TFitInputs& inputs) {
  auto data = ReadMeasuredData(inputs.Measured, inputs.MeasuredSource, MeasuredRows::kMeasurements);
  if (auto* problem = std::get_if<std::string>(&data)) return std::move(*problem);
  std::vector<TMeasurement> rows = std::get<TMeasuredData>(std::move(data)).Rows;

  std::optional<TCasesTable> table;
  if (inputs.Cases) {
    auto read = ReadCasesTable(*inputs.Cases, inputs.CasesSource, CaseNameColumn::kAllowed);
    if (auto* problem = std::get_if<TSweepProblem>(&read)) return std::move(problem->Message);
    table = std::get<TCasesTable>(std::move(read));
  } else {
    // Without cases, the measurements are of the one line the base inputs give.
    for (TMeasurement& m : rows) {
      if (!m.Case.empty() && m.Case != "1") {
        return inputs.MeasuredSource + ", line " + std::to_string(m.Line) + ": case '" + m.Case +
               "' named, but no " + inputs.Options.Spell("cases") + " file gives the cases";
      }
      m.Case.clear();
    }
  }
  auto cases = FitCasesOf(inputs.Texts, inputs.DecimalSeparator, inputs.Card, table);
  if (auto* problem = std::get_if<std::string>(&cases)) return std::move(*problem);

  std::vector<TFitParameter> parameters;
  for (const std::string& text : inputs.Fits) {
    const std::string shown = inputs.Options.Spell("fit") + " " + text + ": ";
    auto parameter = ParseFitParameter(text);
    if (auto* problem = std::get_if<std::string>(&parameter)) return shown + *problem;
    if (const TModelKey& key = *std::get<TFitParameter>(parameter).Key; !key.IsNumber()) {
      return shown + std::string(key.Path) + " is " + KindWanted(key) + ", not a number to fit";
    }
    parameters.push_back(std::get<TFitParameter>(parameter));
  }
  TFitOptions options = inputs.Options;
  if (inputs.Candidates) {
    auto candidates =
        ReadMeasuredData(*inputs.Candidates, inputs.CandidatesSource, MeasuredRows::kCandidates);
    if (auto* problem = std::get_if<std::string>(&candidates)) return std::move(*problem);
    options.Candidates = std::get<TMeasuredData>(std::move(candidates)).Rows;
    if (!table) {
      for (TMeasurement& m : options.Candidates) m.Case.clear();
    }
  }
  const auto& fit_cases = std::get<std::vector<TFitCase>>(cases);
  return TFitRun{FitCard(fit_cases, rows, parameters, options), fit_cases.size(), rows.size()};
}

}  // namespace vellmor
