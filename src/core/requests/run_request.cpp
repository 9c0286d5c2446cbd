#include "vellmor/requests/run_request.h"

#include "vellmor/base/message_keeper.h"
#include "vellmor/exports/profile_csv.h"
#include "vellmor/exports/run_json.h"
#include "vellmor/report/result_rows.h"

namespace vellmor {

std::vector<TOutputPlace> RunRequest::Outputs() const {
  return {{"json", Json},
          {"csv", Csv},
          {"converged_csv", ConvergedCsv},
          {"save_file", Texts.SaveFileName}};
}

OrRequestProblem<RunRequest> RunRequest::From(const TRequestValues& values,
                                              const TRequestContext& context) {
  RequestReader reader(Command::kRun, values, context);
  RunRequest request;
  request.Texts = reader.Inputs();
  request.Accuracy = reader.Flag("accuracy");
  request.Json = reader.Path("json");
  request.Csv = reader.Path("csv");
  request.ConvergedCsv = reader.Path("converged_csv");
  if (reader.Ok()) {
    CheckPlaces(reader, request.Outputs());
  }
  if (!reader.Ok()) return *reader.Problem();
  return request;
}

RunResponse Execute(const RunRequest& request, const TRequestContext& context,
                    const TRunExecution& execution) {
  RunResponse response;
  response.State = std::make_unique<TRunState>();
  TRunOptions options;
  options.DecimalSeparator = context.DecimalSeparator;
  options.Output.DashIsStandardOutput = context.StandardStreams;
  options.Observer = execution.Observer;
  options.ResultFile = execution.ResultFile;
  options.Memory = execution.Memory;
  MessageKeeper messages;
  response.Outcome = RunSpinline(request.Texts, *response.State, messages, options);
  if (!messages.Messages().empty()) response.Message = messages.Messages().back();
  if (response.Succeeded()) {
    response.Message.clear();
    if (request.WantsConverged()) response.Converged = CheckAccuracy(*response.State);
  }
  return response;
}

nlohmann::ordered_json RunResponse::Json(const RunRequest& request, const TRequestContext& context,
                                         bool with_profile) const {
  std::vector<TResultRow> rows;
  if (Succeeded() && with_profile) rows = ResultRowsOf(State->Condition, State->Profile);
  TRunRecord record{request.Texts, context.DecimalSeparator, Outcome, Message, rows};
  record.Converged = Converged ? &*Converged : nullptr;
  record.Program = &context.Program;
  return RunJson(record);
}

std::string RunResponse::JsonDocument(const RunRequest& request,
                                      const TRequestContext& context) const {
  return json_parts::DocumentText(Json(request, context));
}

std::string RunResponse::ProfileCsvDocument() const {
  std::vector<TResultRow> rows;
  if (Succeeded()) rows = ResultRowsOf(State->Condition, State->Profile);
  return ProfileCsv(rows);
}

std::string RunResponse::ConvergedCsvDocument() const {
  const bool solved = Converged && Converged->Solution;
  return ConvergedProfileCsv(solved ? Converged->Solution->Profile
                                    : std::span<const TConvergedSample>());
}

std::vector<std::string> WriteOutputs(const RunRequest& request, const RunResponse& response,
                                      const TRequestContext& context) {
  std::vector<std::string> failures;
  const auto write = [&](std::string_view key, const std::string& name, auto document) {
    if (name.empty()) return;
    if (auto failure = WriteDocument({key, name}, document(), context)) {
      failures.push_back(std::move(*failure));
    }
  };
  write("json", request.Json, [&] { return response.JsonDocument(request, context); });
  write("csv", request.Csv, [&] { return response.ProfileCsvDocument(); });
  write("converged_csv", request.ConvergedCsv, [&] { return response.ConvergedCsvDocument(); });
  return failures;
}

}  // namespace vellmor
