#pragma once

// The fit as a request: card constants fitted to measurements on the line, the cases they were
// taken in, the candidates of the next measurements, and what it writes.

#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "vellmor/fit/fit_run.h"
#include "vellmor/requests/card_choice.h"
#include "vellmor/requests/outputs.h"
#include "vellmor/requests/request_values.h"

namespace vellmor {

struct FitRequest {
  TInputTexts Texts;        // the base inputs every case starts from
  bool TextsGiven = false;  // any input given
  TCardChoice Card;
  TSource Measured;
  std::vector<std::string> Fits;  // KEY, KEY=START or KEY=START:LO:HI
  std::optional<TSource> Cases;
  std::optional<TSource> Candidates;
  int Suggest = 0;
  int MaxIterations = 100;
  bool ProfileIntervals = true;
  std::string Json, WriteModel;

  std::vector<TOutputPlace> Outputs() const {
    return {{"json", Json}, {"write_model", WriteModel}};
  }

  static OrRequestProblem<FitRequest> From(const TRequestValues& values,
                                           const TRequestContext& context);
};

struct FitResponse {
  // What refused the fit before fitting: the card, a file that cannot be read, data that do
  // not make a fit. Nothing else is set then.
  std::optional<TRequestProblem> Refused;
  std::vector<std::string> Warnings;  // the card's
  std::optional<TFitRun> Run;

  // The estimate, or a failed fit's last iterate; nullptr when there is none.
  const TFitResult* Estimate() const;
  const TFitFailure* Failure() const;
  nlohmann::ordered_json Json(const TRequestContext& context) const;
  std::string JsonDocument(const TRequestContext& context) const;
  // The fitted card, named after the measurements and the day, with a comment of what was
  // fitted, as YAML; only for a fit that succeeded.
  std::string FittedCardDocument(const FitRequest& request, const TRequestContext& context) const;
};

FitResponse Execute(const FitRequest& request, const TRequestContext& context,
                    FitObserver* observer = nullptr);

// Writes the exports the request names (the fitted card only when the fit succeeded); the
// message of each that could not be written.
std::vector<std::string> WriteOutputs(const FitRequest& request, const FitResponse& response,
                                      const TRequestContext& context);

}  // namespace vellmor
