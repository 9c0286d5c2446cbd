#pragma once

// The bundle as a request: the inputs, the card (with its bundle's rows, pitches, drag and
// air), each row's profile positions, the fibre's structure and the exports. A command of a
// reply alone: the runner and Python take it through its handler.

#include <optional>
#include <string>
#include <vector>

#include "vellmor/bundle/bundle_run.h"
#include "vellmor/requests/card_choice.h"
#include "vellmor/requests/command_reply.h"
#include "vellmor/requests/outputs.h"
#include "vellmor/requests/request_values.h"

namespace vellmor {

struct BundleRequest {
  TInputTexts Texts;
  TCardChoice Card;  // bundle_rows, when given, is its last setting bundle.rows=N
  TProfilePositions Positions;
  bool Structure = false;
  std::string Json, Csv;

  std::vector<TOutputPlace> Outputs() const { return {{"json", Json}, {"csv", Csv}}; }

  static OrRequestProblem<BundleRequest> From(const TRequestValues& values,
                                              const TRequestContext& context);
};

struct BundleResponse {
  std::optional<TRequestProblem> CardProblem;  // a refused card: nothing solved
  TLoadedCard Card;
  TBundleRun Run;
  // The card's warnings, then the run's (rows without a freeze point).
  std::vector<std::string> Warnings;

  bool Succeeded() const { return Run.Status == RunStatus::kSucceeded; }
  std::string JsonDocument(const BundleRequest& request, const TRequestContext& context) const;
  std::string ProfileCsvDocument(const BundleRequest& request) const;
};

BundleResponse Execute(const BundleRequest& request, const TRequestContext& context);

// The bundle command as a reply: the per-row table, the spread and the energy balance to
// print (bundle_summary.h), the messages, the JSON document; the exports written.
TCommandReply BundleCommand(const TRequestValues& values, const TRequestContext& context);

}  // namespace vellmor
