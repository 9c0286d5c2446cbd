#pragma once

// The shape of a command that needs nothing of a front end but its values: it answers with
// what to print, what to say and its document, so that the runner and Python take a new
// command of this shape without a line of their own (its row in commands.cpp names its
// handler). The commands that show more (a run's passes as they happen, a sweep's progress)
// have front-end code of their own.

#include <nlohmann/json.hpp>

#include <optional>
#include <string>
#include <vector>

#include "vellmor/requests/request_values.h"

namespace vellmor {

// How a command ended, as the runner's exit status tells it.
enum class ReplyStatus {
  kDone,     // 0
  kRefused,  // 1: what the values name (a card, an input) is refused
  kFailed,   // 2: the calculation failed
  kUsage,    // 64: the values themselves are wrong
  kOutputs,  // 73: done, but an output could not be written
};

struct TCommandReply {
  ReplyStatus Status = ReplyStatus::kDone;
  std::string Summary;                     // for standard output (the runner) or a text (Python)
  std::vector<std::string> Messages;       // for standard error, one line each; refusals first
  std::optional<TRequestProblem> Problem;  // what refused the request, where it was refused
  nlohmann::ordered_json Document;         // null where there is none
  // A document goes to standard output: the runner prints the summary on standard error.
  bool SummaryToErrors = false;
};

// A reply that refuses the request with problem.
TCommandReply Refusal(const TRequestProblem& problem);

}  // namespace vellmor
