#include "vellmor/fit/fit_run.h"

#include <utility>

#include "vellmor/fit/fit_cases.h"
#include "vellmor/fit/measured_data.h"
#include "vellmor/fit/plausibility.h"
#include "vellmor/sweep/cases_table.h"

namespace vellmor {

std::variant<TFitRun, TFitRefusal> RunFit(const TFitInputs& inputs) {
  auto data = ReadMeasuredData(inputs.Measured, inputs.MeasuredSource, MeasuredRows::kMeasurements);
  if (auto* problem = std::get_if<std::string>(&data)) return TFitRefusal{std::move(*problem)};
  std::vector<TMeasurement> rows = std::get<TMeasuredData>(std::move(data)).Rows;

  std::optional<TCasesTable> table;
  if (inputs.Cases) {
    auto read = ReadCasesTable(*inputs.Cases, inputs.CasesSource, CaseNameColumn::kAllowed);
    if (auto* problem = std::get_if<TSweepProblem>(&read))
      return TFitRefusal{std::move(problem->Message)};
    table = std::get<TCasesTable>(std::move(read));
  } else {
    // Without cases, the measurements are of the one line the base inputs give.
    for (TMeasurement& m : rows) {
      if (!m.Case.empty() && m.Case != "1") {
        return TFitRefusal{inputs.MeasuredSource + ", line " + std::to_string(m.Line) + ": case '" +
                           m.Case + "' named, but no " + inputs.Options.Spell("cases") +
                           " file gives the cases"};
      }
      m.Case.clear();
    }
  }
  auto cases =
      FitCasesOf(inputs.Texts, inputs.DecimalSeparator, inputs.Card, table, inputs.TextsGiven);
  if (auto* problem = std::get_if<std::string>(&cases)) return TFitRefusal{std::move(*problem)};
  const auto& fit_cases = std::get<std::vector<TFitCase>>(cases);
  if (auto implausible = ImplausibleMeasurement(fit_cases, rows, inputs.MeasuredSource)) {
    return TFitRefusal{std::move(*implausible), true};
  }

  std::vector<TFitParameter> parameters;
  for (const std::string& text : inputs.Fits) {
    const std::string shown = inputs.Options.Spell("fit") + " " + text + ": ";
    auto parameter = ParseFitParameter(text);
    if (auto* problem = std::get_if<std::string>(&parameter)) return TFitRefusal{shown + *problem};
    if (const TModelKey& key = *std::get<TFitParameter>(parameter).Key; !key.IsNumber()) {
      return TFitRefusal{shown + std::string(key.Path) + " is " + KindWanted(key) +
                         ", not a number to fit"};
    }
    if (std::get<TFitParameter>(parameter).Key->IsValidity()) {
      return TFitRefusal{shown + std::string(std::get<TFitParameter>(parameter).Key->Path) +
                         " bounds the valid IV and enters no law: nothing to fit"};
    }
    if (std::get<TFitParameter>(parameter).Key->IsBundle()) {
      return TFitRefusal{shown + std::string(std::get<TFitParameter>(parameter).Key->Path) +
                         " is a constant of the bundle, which the fit of one filament does not "
                         "read: nothing to fit"};
    }
    parameters.push_back(std::get<TFitParameter>(parameter));
  }
  TFitOptions options = inputs.Options;
  if (inputs.Candidates) {
    auto candidates =
        ReadMeasuredData(*inputs.Candidates, inputs.CandidatesSource, MeasuredRows::kCandidates);
    if (auto* problem = std::get_if<std::string>(&candidates))
      return TFitRefusal{std::move(*problem)};
    options.Candidates = std::get<TMeasuredData>(std::move(candidates)).Rows;
    if (!table) {
      for (TMeasurement& m : options.Candidates) m.Case.clear();
    }
  }
  return TFitRun{FitCard(fit_cases, rows, parameters, options), fit_cases.size(), rows.size()};
}

}  // namespace vellmor
