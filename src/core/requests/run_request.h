#pragma once

// The classical run as a request: the input texts, whether to compare the result with the
// converged solution, and the exports it writes besides the result file.
//
//   TRequestValues values;
//   values.Set("take_up_speed", 4000.0);
//   values.Set("json", std::string("run.json"));
//   auto request = RunRequest::From(values, context);      // or the problem that refuses it
//   RunResponse response = Execute(std::get<RunRequest>(request), context);
//   for (const std::string& failure : WriteOutputs(request, response, context)) …

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "vellmor/converged/accuracy_check.h"
#include "vellmor/inputs/input_texts.h"
#include "vellmor/requests/outputs.h"
#include "vellmor/requests/request_values.h"
#include "vellmor/run/run_sequence.h"
#include "vellmor/solver/run_state.h"

namespace vellmor {

class ResultLines;

struct RunRequest {
  TInputTexts Texts;
  bool Accuracy = false;
  std::string Json, Csv, ConvergedCsv;  // the exports' names; empty for none

  // The converged solution is solved after a successful run: asked for, or its profile is.
  bool WantsConverged() const { return Accuracy || !ConvergedCsv.empty(); }
  // The result file and the exports, for the rule that each has a place of its own.
  std::vector<TOutputPlace> Outputs() const;

  static OrRequestProblem<RunRequest> From(const TRequestValues& values,
                                           const TRequestContext& context);
};

// How a front end takes the run: who follows its passes, and where the result file goes.
struct TRunExecution {
  PassObserver* Observer = nullptr;
  ResultFileUse ResultFile = ResultFileUse::kWrite;
  ResultLines* Memory = nullptr;  // with ResultFileUse::kMemory
};

struct RunResponse {
  TRunOutcome Outcome;
  std::string Message;               // the run's one message; empty when it succeeded
  std::unique_ptr<TRunState> State;  // the converged profile of a successful run
  std::optional<TAccuracyCheck> Converged;

  bool Succeeded() const { return Outcome.Status == RunStatus::kSucceeded; }
  // The documents of the run, whatever its outcome; the JSON also as its object, without the
  // profile for a caller that takes the columns as they are.
  nlohmann::ordered_json Json(const RunRequest& request, const TRequestContext& context,
                              bool with_profile = true) const;
  std::string JsonDocument(const RunRequest& request, const TRequestContext& context) const;
  std::string ProfileCsvDocument() const;
  std::string ConvergedCsvDocument() const;
};

RunResponse Execute(const RunRequest& request, const TRequestContext& context,
                    const TRunExecution& execution = {});

// Writes the exports the request names; the message of each that could not be written.
std::vector<std::string> WriteOutputs(const RunRequest& request, const RunResponse& response,
                                      const TRequestContext& context);

}  // namespace vellmor
