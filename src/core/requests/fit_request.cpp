#include "vellmor/requests/fit_request.h"

#include <charconv>
#include <cmath>

#include "vellmor/base/number_text.h"
#include "vellmor/exports/fit_json.h"
#include "vellmor/inputs/input_fields.h"

namespace vellmor {
namespace {

// Larger than any file of measurements a line gives.
constexpr std::size_t kMaxDataBytes = std::size_t{64} << 20;
constexpr std::string_view kMaxDataText = "64 MiB";

}  // namespace

OrRequestProblem<FitRequest> FitRequest::From(const TRequestValues& values,
                                              const TRequestContext& context) {
  RequestReader reader(Command::kFit, values, context);
  FitRequest request;
  request.Texts = reader.Inputs();
  for (const TInputField& field : kInputFields) {
    request.TextsGiven = request.TextsGiven || reader.Given(field.Key);
  }
  request.Card = CardChoiceOf(reader);
  request.Measured = reader.Source("measured").value_or(TSource{});
  request.Fits = reader.Texts("fit");
  request.Cases = reader.Source("cases");
  request.Candidates = reader.Source("candidates");
  request.Suggest = static_cast<int>(reader.OptionalCount("suggest").value_or(0));
  request.MaxIterations = static_cast<int>(reader.Count("max_iterations"));
  request.ProfileIntervals = reader.Flag("profile");
  request.Json = reader.Path("json");
  request.WriteModel = reader.Path("write_model");
  if (reader.Ok() && reader.Given("suggest") != reader.Given("candidates")) {
    reader.Refuse({ProblemKind::kUsage, "suggest",
                   reader.Spelled("suggest") + " and " + reader.Spelled("candidates") +
                       ": give both or neither"});
  }
  if (reader.Ok()) {
    CheckPlaces(reader, request.Outputs());
  }
  if (!reader.Ok()) return *reader.Problem();
  return request;
}

FitResponse Execute(const FitRequest& request, const TRequestContext& context,
                    FitObserver* observer) {
  FitResponse response;
  const auto refuse = [&response](TRequestProblem problem) {
    if (problem.Kind == ProblemKind::kUsage) problem.Kind = ProblemKind::kRefused;
    response.Refused = std::move(problem);
    return std::move(response);
  };
  auto card = LoadCard(request.Card, context);
  if (auto* problem = std::get_if<TRequestProblem>(&card)) return refuse(std::move(*problem));
  response.Warnings = std::get<TLoadedCard>(card).Warnings;
  // The texts the core judges; the files are read here for every front end alike.
  const auto read = [&](std::string_view key, const TSource& source) {
    return ReadSource(context, key, source, kMaxDataBytes, kMaxDataText);
  };
  auto measured = read("measured", request.Measured);
  if (auto* problem = std::get_if<TRequestProblem>(&measured)) return refuse(std::move(*problem));
  std::optional<OrRequestProblem<std::string>> cases, candidates;
  if (request.Cases) {
    cases = read("cases", *request.Cases);
    if (auto* problem = std::get_if<TRequestProblem>(&*cases)) return refuse(std::move(*problem));
  }
  if (request.Candidates) {
    candidates = read("candidates", *request.Candidates);
    if (auto* problem = std::get_if<TRequestProblem>(&*candidates)) {
      return refuse(std::move(*problem));
    }
  }
  TFitInputs inputs;
  inputs.Texts = request.Texts;
  inputs.TextsGiven = request.TextsGiven;
  inputs.DecimalSeparator = context.DecimalSeparator;
  inputs.Card = std::get<TLoadedCard>(std::move(card)).Card;
  inputs.Measured = std::get<std::string>(measured);
  inputs.MeasuredSource = request.Measured.Name;
  if (cases) {
    inputs.Cases = std::get<std::string>(*cases);
    inputs.CasesSource = request.Cases->Name;
  }
  if (candidates) {
    inputs.Candidates = std::get<std::string>(*candidates);
    inputs.CandidatesSource = request.Candidates->Name;
  }
  inputs.Fits = request.Fits;
  inputs.Options.MaxIterations = request.MaxIterations;
  inputs.Options.ProfileIntervals = request.ProfileIntervals;
  inputs.Options.Suggest = request.Suggest;
  inputs.Options.Observer = observer;
  inputs.Options.Spell = context.Spell;
  auto run = RunFit(inputs);
  if (auto* refusal = std::get_if<TFitRefusal>(&run)) {
    return refuse({refusal->Implausible ? ProblemKind::kImplausible : ProblemKind::kRefused,
                   refusal->Implausible ? "measured" : "", std::move(refusal->Message)});
  }
  response.Run = std::get<TFitRun>(std::move(run));
  return response;
}

const TFitResult* FitResponse::Estimate() const {
  if (!Run) return nullptr;
  if (const auto* result = std::get_if<TFitResult>(&Run->Fit)) return result;
  const TFitFailure& failure = std::get<TFitFailure>(Run->Fit);
  return failure.Last ? &*failure.Last : nullptr;
}

const TFitFailure* FitResponse::Failure() const {
  return Run ? std::get_if<TFitFailure>(&Run->Fit) : nullptr;
}

nlohmann::ordered_json FitResponse::Json(const TRequestContext& context) const {
  if (!Run) return nullptr;
  nlohmann::ordered_json document = FitJson(Run->Fit, &context.Program);
  // The card's own warnings before the fit's.
  if (!Warnings.empty()) {
    nlohmann::ordered_json warnings = Warnings;
    if (document.contains("warnings")) {
      for (const auto& warning : document["warnings"]) warnings.push_back(warning);
    }
    document["warnings"] = std::move(warnings);
  }
  return document;
}

std::string FitResponse::JsonDocument(const TRequestContext& context) const {
  return Run ? json_parts::DocumentText(Json(context)) : std::string();
}

std::string FitResponse::FittedCardDocument(const FitRequest& request,
                                            const TRequestContext& context) const {
  const TFitResult* result = Run ? std::get_if<TFitResult>(&Run->Fit) : nullptr;
  if (result == nullptr) return {};
  std::string text = "# Fitted by vellmor-cli fit (95 % intervals: Wald; profile likelihood):\n";
  for (const TParameterEstimate& p : result->Parameters) {
    text += "#   " + std::string(p.Key) + " = " + SignificantText(p.Estimate) + " [" +
            SignificantText(p.Wald95[0]) + ", " + SignificantText(p.Wald95[1]) + "]";
    if (p.Profile95) {
      text += "; [" + SignificantText((*p.Profile95)[0]) + ", " +
              SignificantText((*p.Profile95)[1]) + "]";
    }
    text += '\n';
  }
  std::vector<std::string_view> fitted;
  for (const TParameterEstimate& p : result->Parameters) fitted.push_back(p.Key);
  ModelCard card = result->Fitted;
  card.SetName(FittedCardName(card.Name(), fitted, request.Measured.Name, context.Today));
  // What the fit knew of its constants, for every solve with the card to carry on.
  return text + ModelCardYaml(card);
}

std::vector<std::string> WriteOutputs(const FitRequest& request, const FitResponse& response,
                                      const TRequestContext& context) {
  std::vector<std::string> failures;
  if (!response.Run) return failures;
  if (!request.Json.empty()) {
    if (auto failure =
            WriteDocument({"json", request.Json}, response.JsonDocument(context), context)) {
      failures.push_back(std::move(*failure));
    }
  }
  if (!request.WriteModel.empty() && response.Failure() == nullptr) {
    if (auto failure = WriteDocument({"write_model", request.WriteModel},
                                     response.FittedCardDocument(request, context), context)) {
      failures.push_back(std::move(*failure));
    }
  }
  return failures;
}

}  // namespace vellmor
