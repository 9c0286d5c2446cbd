#include "vellmor/requests/solve_request.h"

#include "vellmor/exports/converged_json.h"
#include "vellmor/exports/profile_csv.h"

namespace vellmor {

OrRequestProblem<SolveRequest> SolveRequest::From(const TRequestValues& values,
                                                  const TRequestContext& context) {
  RequestReader reader(Command::kSolve, values, context);
  SolveRequest request;
  request.Texts = reader.Inputs();
  request.Card = CardChoiceOf(reader);
  request.Structure = reader.Flag("structure");
  request.Sensitivities = reader.Flag("sensitivities");
  request.Intervals = IntervalChoiceOf(reader);
  request.Json = reader.Path("json");
  request.Csv = reader.Path("csv");
  request.Positions.Points = static_cast<int>(reader.Count("points"));
  if (std::optional<std::vector<double>> at = reader.Numbers("at")) {
    if (reader.Given("points")) {
      reader.Refuse({ProblemKind::kUsage, "at",
                     reader.Spelled("at") + " and " + reader.Spelled("points") +
                         ": give the positions one way"});
    }
    request.Positions.At = std::move(*at);
  }
  if (reader.Ok()) {
    CheckPlaces(reader, request.Outputs());
  }
  if (!reader.Ok()) return *reader.Problem();
  return request;
}

SolveResponse Execute(const SolveRequest& request, const TRequestContext& context) {
  SolveResponse response;
  auto card = LoadCard(request.Card, context);
  if (auto* problem = std::get_if<TRequestProblem>(&card)) {
    response.CardProblem = std::move(*problem);
    response.Run.Message = response.CardProblem->Message;
    return response;
  }
  response.Card = std::get<TLoadedCard>(std::move(card));
  auto intervals = IntervalSettings(request.Intervals, response.Card.Card, context);
  if (auto* problem = std::get_if<TRequestProblem>(&intervals)) {
    response.CardProblem = std::move(*problem);
    response.Run.Message = response.CardProblem->Message;
    return response;
  }
  response.Warnings = response.Card.Warnings;
  TConvergedRunOptions options;
  options.DecimalSeparator = context.DecimalSeparator;
  options.Model = response.Card.Card.Constants();
  options.Structure = request.Structure;
  options.Positions = request.Positions;
  response.Run = RunConverged(request.Texts, options);
  response.Warnings.insert(response.Warnings.end(), response.Run.Warnings.begin(),
                           response.Run.Warnings.end());
  if (!response.Succeeded()) return response;
  const TConvergedSolution& solution = *response.Run.Solution;
  if (request.Sensitivities) {
    response.Sensitivities = ComputeSensitivities(response.Run.Condition, options.Model, solution);
    for (const std::string& failure : response.Sensitivities->Failures) {
      response.Warnings.push_back("Sensitivity not found for " + failure);
    }
  }
  if (const auto& settings = std::get<std::optional<TUncertaintySettings>>(intervals)) {
    TConvergedOptions solved_with;
    solved_with.Model = options.Model;
    solved_with.Structure = options.Structure;
    for (const TConvergedSample& sample : solution.Profile) solved_with.SampleX.push_back(sample.X);
    response.Uncertainty = PropagateUncertainty({&response.Run.Condition, &solved_with, &solution},
                                                *response.Card.Card.Uncertainty(), *settings);
    response.Warnings.insert(response.Warnings.end(), response.Uncertainty->Warnings.begin(),
                             response.Uncertainty->Warnings.end());
  }
  TRunSummary& summary = response.Summary;
  summary.Passes = solution.Passes;
  summary.Tension = solution.SpinneretTension;
  summary.FinalVelocity = solution.FinalVelocity;
  summary.TakeUpVelocity = response.Run.Condition.TakeUpSpeed * 100.0 / 60.0;
  summary.FinalDiameter = solution.FinalDiameter;
  summary.FinalTemperature = solution.FinalTemperature;
  return response;
}

nlohmann::ordered_json SolveResponse::Json(const SolveRequest& request,
                                           const TRequestContext& context,
                                           bool with_profile) const {
  TConvergedRecord record{request.Texts, context.DecimalSeparator, Run, Card.Card,
                          Sensitivities ? &*Sensitivities : nullptr};
  record.Uncertainty = Uncertainty ? &*Uncertainty : nullptr;
  record.Program = &context.Program;
  record.WithProfile = with_profile;
  record.Warnings = Warnings;
  return ConvergedRunJson(record);
}

std::string SolveResponse::JsonDocument(const SolveRequest& request,
                                        const TRequestContext& context) const {
  return json_parts::DocumentText(Json(request, context));
}

std::string SolveResponse::ProfileCsvDocument(const SolveRequest& request) const {
  if (Run.Solution) {
    return ConvergedProfileCsv(Run.Solution->Profile, Run.Solution->Structure.has_value(),
                               Uncertainty ? &*Uncertainty : nullptr);
  }
  return ConvergedProfileCsv({}, request.Structure || Card.Card.Constants().Structure.Coupled);
}

std::vector<std::string> WriteOutputs(const SolveRequest& request, const SolveResponse& response,
                                      const TRequestContext& context) {
  std::vector<std::string> failures;
  if (!request.Json.empty()) {
    if (auto failure = WriteDocument({"json", request.Json},
                                     response.JsonDocument(request, context), context)) {
      failures.push_back(std::move(*failure));
    }
  }
  if (!request.Csv.empty()) {
    if (auto failure =
            WriteDocument({"csv", request.Csv}, response.ProfileCsvDocument(request), context)) {
      failures.push_back(std::move(*failure));
    }
  }
  return failures;
}

OrRequestProblem<ModelRequest> ModelRequest::From(const TRequestValues& values,
                                                  const TRequestContext& context) {
  RequestReader reader(Command::kModel, values, context);
  ModelRequest request{CardChoiceOf(reader)};
  if (!reader.Ok()) return *reader.Problem();
  return request;
}

TCommandReply ModelCommand(const TRequestValues& values, const TRequestContext& context) {
  auto request = ModelRequest::From(values, context);
  if (auto* problem = std::get_if<TRequestProblem>(&request)) return Refusal(*problem);
  auto card = LoadCard(std::get<ModelRequest>(request).Card, context);
  if (auto* problem = std::get_if<TRequestProblem>(&card)) return Refusal(*problem);
  TCommandReply reply;
  const TLoadedCard& loaded = std::get<TLoadedCard>(card);
  reply.Messages = loaded.Warnings;
  reply.Summary = ModelCardYaml(loaded.Card);
  reply.Document = ModelCardJson(loaded.Card);
  return reply;
}

}  // namespace vellmor
