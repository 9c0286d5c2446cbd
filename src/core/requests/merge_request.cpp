#include "vellmor/requests/merge_request.h"

#include "vellmor/requests/outputs.h"
#include "vellmor/sweep/sweep_problem.h"
#include "vellmor/sweep/sweep_record.h"

namespace vellmor {
namespace {

// Larger than any summary a sweep of ten million cases writes.
constexpr std::size_t kMaxSummaryBytes = std::size_t{8} << 30;

}  // namespace

OrRequestProblem<MergeRequest> MergeRequest::From(const TRequestValues& values,
                                                  const TRequestContext& context) {
  RequestReader reader(Command::kMerge, values, context);
  MergeRequest request;
  request.Shards = reader.Sources("shards");
  request.Output = reader.Path("output");
  if (request.Output == "-" && context.StandardStreams) request.Output.clear();
  request.AllowMissing = reader.Flag("allow_missing");
  CheckPlaces(reader, std::vector<TOutputPlace>{{"output", request.Output}});
  if (!reader.Ok()) return *reader.Problem();
  return request;
}

MergeResponse Execute(const MergeRequest& request, const TRequestContext& context) {
  MergeResponse response;
  std::vector<std::string> texts, records;
  texts.reserve(request.Shards.size());
  records.reserve(request.Shards.size());
  for (const TSource& shard : request.Shards) {
    TTextBounds bounds;
    bounds.Bytes = kMaxSummaryBytes;
    bounds.BytesText = "8 GiB";
    bounds.Lines = kMaxSweepCases + 1;  // a header and a line per case
    auto text = ReadSource(context, "shards", shard, bounds);
    if (auto* problem = std::get_if<TRequestProblem>(&text)) {
      response.Ending = MergeResponse::End::kUnreadable;
      // What stopped the reading, after the shard's name: it is no option's value.
      const std::string& why = problem->Message;
      const std::size_t after = why.find(": ");
      response.Message =
          shard.Name + ": " + (after == std::string::npos ? why : why.substr(after + 2));
      return response;
    }
    const std::string record_path = RecordPath(shard.Name);
    auto record = ReadSource(context, "shards", {record_path, std::nullopt}, 1 << 16, "64 KiB");
    if (std::holds_alternative<TRequestProblem>(record)) {
      response.Ending = MergeResponse::End::kUnreadable;
      response.Message = shard.Name + ": no record of its sweep beside it (" + record_path +
                         "), as a sweep with a summary file writes one";
      return response;
    }
    texts.push_back(std::get<std::string>(std::move(text)));
    records.push_back(std::get<std::string>(std::move(record)));
  }
  std::vector<TShardSummary> shards;
  for (std::size_t i = 0; i < request.Shards.size(); ++i) {
    shards.push_back({request.Shards[i].Name, texts[i], records[i]});
  }
  auto merged = MergeSummaries(shards, request.AllowMissing);
  if (auto* problem = std::get_if<std::string>(&merged)) {
    response.Ending = MergeResponse::End::kRefused;
    response.Message = std::move(*problem);
    return response;
  }
  TMergedSummary& summary = std::get<TMergedSummary>(merged);
  response.Missing = std::move(summary.Missing);
  if (!response.Missing.empty()) {
    response.MissingMessage = std::to_string(response.Missing.size()) +
                              " cases are in no shard: " + CaseRanges(response.Missing);
  }
  if (request.Output.empty() && !context.StandardStreams) {
    response.Summary = std::move(summary.Summary);
    return response;
  }
  const TOutputPlace place{"output", request.Output.empty() ? "-" : request.Output};
  if (auto failure = WriteDocument(place, summary.Summary, context)) {
    response.Ending = MergeResponse::End::kCantWrite;
    response.Message = std::move(*failure);
  }
  return response;
}

}  // namespace vellmor
