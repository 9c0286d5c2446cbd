#pragma once

// The converged model as a request: the inputs, the card, where the profile is sampled, the
// fibre's structure and the elasticities, and the exports it writes.

#include <optional>
#include <string>
#include <vector>

#include "vellmor/converged/converged_run.h"
#include "vellmor/requests/card_choice.h"
#include "vellmor/requests/command_reply.h"
#include "vellmor/requests/interval_choice.h"
#include "vellmor/requests/outputs.h"
#include "vellmor/requests/request_values.h"
#include "vellmor/sensitivity/sensitivities.h"
#include "vellmor/uncertainty/propagation.h"

namespace vellmor {

struct SolveRequest {
  TInputTexts Texts;
  TCardChoice Card;
  TProfilePositions Positions;
  bool Structure = false;
  bool Sensitivities = false;
  TIntervalChoice Intervals;
  std::string Json, Csv;

  std::vector<TOutputPlace> Outputs() const { return {{"json", Json}, {"csv", Csv}}; }

  static OrRequestProblem<SolveRequest> From(const TRequestValues& values,
                                             const TRequestContext& context);
};

struct SolveResponse {
  // A refused card ends the request before anything is solved: the problem, and no run.
  std::optional<TRequestProblem> CardProblem;
  TLoadedCard Card;
  TConvergedRun Run;
  std::optional<TSensitivities> Sensitivities;        // asked for, of a solved run
  std::optional<TPropagatedUncertainty> Uncertainty;  // of a solved run with such a card
  TRunSummary Summary;                                // of a solved run
  // What the front end shows beside the outcome: the card's warnings, the run's (a line
  // without a freeze point), the elasticities that could not be found, then the intervals'.
  std::vector<std::string> Warnings;

  bool Succeeded() const { return Run.Status == RunStatus::kSucceeded; }
  nlohmann::ordered_json Json(const SolveRequest& request, const TRequestContext& context,
                              bool with_profile = true) const;
  std::string JsonDocument(const SolveRequest& request, const TRequestContext& context) const;
  std::string ProfileCsvDocument(const SolveRequest& request) const;
};

SolveResponse Execute(const SolveRequest& request, const TRequestContext& context);

// Writes the exports the request names; the message of each that could not be written.
std::vector<std::string> WriteOutputs(const SolveRequest& request, const SolveResponse& response,
                                      const TRequestContext& context);

// The model command: the card chosen, as YAML.
struct ModelRequest {
  TCardChoice Card;
  static OrRequestProblem<ModelRequest> From(const TRequestValues& values,
                                             const TRequestContext& context);
};

// The model command as a reply: the card's YAML to print, and its document, the card as the
// JSON exports' model object.
TCommandReply ModelCommand(const TRequestValues& values, const TRequestContext& context);

}  // namespace vellmor
