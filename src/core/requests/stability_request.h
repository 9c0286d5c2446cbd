#pragma once

// The stability of the steady converged line as a request: the inputs and card of solve, and
// optionally the critical point of one input or card constant and the response to a harmonic
// disturbance over a range of frequencies. A command of a reply alone: what it prints, its
// JSON document, and the status the runner exits with, as solve's (1 an input or card
// refused, 2 the calculation failed, 64 the request wrong, 73 the document not written).

#include <optional>
#include <string>
#include <vector>

#include "vellmor/inputs/input_texts.h"
#include "vellmor/requests/card_choice.h"
#include "vellmor/requests/command_reply.h"
#include "vellmor/requests/request_values.h"
#include "vellmor/stability/critical_point.h"
#include "vellmor/stability/disturbance_response.h"

namespace vellmor {

struct StabilityRequest {
  TInputTexts Texts;
  TCardChoice Card;
  bool Structure = false;
  int Intervals = 8;
  std::string Json;
  // The input field's key or the card key whose critical value is sought; empty for none.
  std::string Critical;
  std::optional<Disturbance> Response;
  std::vector<double> FrequenciesHz;  // with Response

  static OrRequestProblem<StabilityRequest> From(const TRequestValues& values,
                                                 const TRequestContext& context);
};

// What the request found, for the summary and the document.
struct StabilityResponse {
  TLoadedCard Card;
  TLineStability Line;
  std::optional<TCriticalPoint> Critical;
  std::vector<TResponsePoint> Response;
};

TCommandReply StabilityCommand(const TRequestValues& values, const TRequestContext& context);

// The printout of a response (stability_summary.cpp).
std::string StabilitySummary(const StabilityRequest& request, const StabilityResponse& response,
                             char decimal_separator);

}  // namespace vellmor
