#include "vellmor/requests/bundle_request.h"

#include "vellmor/exports/bundle_json.h"
#include "vellmor/requests/bundle_summary.h"

namespace vellmor {
namespace {

bool WithStructure(const BundleRequest& request, const BundleResponse& response) {
  return request.Structure || response.Card.Card.Constants().Structure.Coupled;
}

nlohmann::ordered_json Document(const BundleRequest& request, const BundleResponse& response,
                                const TRequestContext& context) {
  TBundleRecord record{request.Texts, context.DecimalSeparator, response.Run, response.Card.Card};
  record.Program = &context.Program;
  record.Warnings = response.Warnings;
  return BundleJson(record);
}

}  // namespace

OrRequestProblem<BundleRequest> BundleRequest::From(const TRequestValues& values,
                                                    const TRequestContext& context) {
  RequestReader reader(Command::kBundle, values, context);
  BundleRequest request;
  request.Texts = reader.Inputs();
  request.Card = CardChoiceOf(reader);
  if (const std::optional<std::int64_t> rows = reader.OptionalCount("bundle_rows")) {
    request.Card.Settings.push_back("bundle.rows=" + std::to_string(*rows));
  }
  request.Structure = reader.Flag("structure");
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

BundleResponse Execute(const BundleRequest& request, const TRequestContext& context) {
  BundleResponse response;
  auto card = LoadCard(request.Card, context);
  if (auto* problem = std::get_if<TRequestProblem>(&card)) {
    response.CardProblem = std::move(*problem);
    response.Run.Message = response.CardProblem->Message;
    return response;
  }
  response.Card = std::get<TLoadedCard>(std::move(card));
  response.Warnings = response.Card.Warnings;
  TBundleRunOptions options;
  options.DecimalSeparator = context.DecimalSeparator;
  options.Model = response.Card.Card.Constants();
  options.Structure = request.Structure;
  options.Positions = request.Positions;
  response.Run = RunBundle(request.Texts, options);
  response.Warnings.insert(response.Warnings.end(), response.Run.Warnings.begin(),
                           response.Run.Warnings.end());
  return response;
}

std::string BundleResponse::JsonDocument(const BundleRequest& request,
                                         const TRequestContext& context) const {
  return json_parts::DocumentText(Document(request, *this, context));
}

std::string BundleResponse::ProfileCsvDocument(const BundleRequest& request) const {
  return BundleProfileCsv(Run, WithStructure(request, *this));
}

TCommandReply BundleCommand(const TRequestValues& values, const TRequestContext& context) {
  auto made = BundleRequest::From(values, context);
  if (auto* problem = std::get_if<TRequestProblem>(&made)) return Refusal(*problem);
  const BundleRequest& request = std::get<BundleRequest>(made);
  const BundleResponse response = Execute(request, context);
  if (response.CardProblem) {
    TCommandReply reply = Refusal(*response.CardProblem);
    reply.Status = ReplyStatus::kRefused;
    return reply;
  }
  TCommandReply reply;
  for (const TOutputPlace& output : request.Outputs()) {
    reply.SummaryAside = reply.SummaryAside || (context.StandardStreams && output.Name == "-");
  }
  if (response.Succeeded()) {
    reply.Summary = BundleSummary(response.Card.Card, response.Run, context.DecimalSeparator);
  } else {
    reply.Messages.push_back(response.Run.Message);
    reply.Status =
        response.Run.Status == RunStatus::kFailed ? ReplyStatus::kFailed : ReplyStatus::kRefused;
  }
  reply.Messages.insert(reply.Messages.end(), response.Warnings.begin(), response.Warnings.end());
  reply.Document = Document(request, response, context);
  const auto write = [&](std::string_view key, const std::string& name, const std::string& text) {
    if (name.empty()) return;
    if (auto failure = WriteDocument({key, name}, text, context)) {
      reply.Messages.push_back(std::move(*failure));
      if (reply.Status == ReplyStatus::kDone) reply.Status = ReplyStatus::kOutputs;
    }
  };
  write("json", request.Json, json_parts::DocumentText(reply.Document));
  write("csv", request.Csv, response.ProfileCsvDocument(request));
  return reply;
}

}  // namespace vellmor
