#include "vellmor/requests/stability_request.h"

#include <algorithm>
#include <array>
#include <utility>

#include "vellmor/base/message_keeper.h"
#include "vellmor/base/number_text.h"
#include "vellmor/base/run_error.h"
#include "vellmor/exports/json_parts.h"
#include "vellmor/exports/stability_json.h"
#include "vellmor/inputs/input_fields.h"
#include "vellmor/inputs/number_conversion.h"
#include "vellmor/inputs/read_inputs.h"
#include "vellmor/model_card/model_key.h"
#include "vellmor/requests/outputs.h"

namespace vellmor {
namespace {

constexpr int kMaxFrequencies = 10'000;

// Keeps the one message of a reading that failed.
class OneMessage : public MessageSink {
 public:
  void ShowMessage(std::string_view text) override { message = text; }
  std::string message;
};

// "F1:F2:N": N frequencies from F1 to F2 (Hz), evenly spaced; or none for a text that is not.
std::optional<std::vector<double>> FrequencyRange(const std::string& text, char separator) {
  const std::size_t first = text.find(':');
  const std::size_t second = first == std::string::npos ? first : text.find(':', first + 1);
  if (second == std::string::npos) return std::nullopt;
  const std::optional<double> low = ConvertNumber(text.substr(0, first), separator);
  const std::optional<double> high =
      ConvertNumber(text.substr(first + 1, second - first - 1), separator);
  const std::optional<double> count = ConvertNumber(text.substr(second + 1), separator);
  if (!low || !high || !count || !(*low > 0.0) || !(*high >= *low) || !(*count >= 1.0) ||
      *count > kMaxFrequencies || *count != static_cast<double>(static_cast<int>(*count)) ||
      (*count == 1.0 && *high != *low)) {
    return std::nullopt;
  }
  const int n = static_cast<int>(*count);
  std::vector<double> hz;
  for (int i = 0; i < n; ++i) {
    hz.push_back(i + 1 == n ? *high : *low + (*high - *low) * i / std::max(n - 1, 1));
  }
  return hz;
}

// The line's stability with the texts and constants given; none where the texts are refused
// or the line can not be solved or analysed.
std::optional<TLineStability> StabilityOf(const TInputTexts& texts, char separator,
                                          const TStabilityOptions& options) {
  TSpinCondition condition;
  OneMessage sink;
  if (!ReadInputs(texts, separator, condition, sink, InputUse::kConverged)) return std::nullopt;
  try {
    return AnalyseStability(condition, options);
  } catch (const CalculationError&) {
    return std::nullopt;
  }
}

// The line with the request's key at value, all else as the request has it; and the value
// the request gives the key.
StabilityAt AtValues(const StabilityRequest& request, const TSpinCondition& condition,
                     const TStabilityOptions& options, char separator, double& start) {
  if (const TInputField* field = FindInputField(request.Critical)) {
    start = field->ValueIn(condition);
    return [&request, options, separator, field](double value) -> std::optional<TLineStability> {
      TInputTexts texts = request.Texts;
      std::string text = ShortestText(value).value_or("?");
      if (separator != '.') std::replace(text.begin(), text.end(), '.', separator);
      texts.*field->Text = text;
      return StabilityOf(texts, separator, options);
    };
  }
  const TModelKey* key = FindModelKey(request.Critical);
  start = ModelValue(options.Model, *key);
  return [&condition, options, key](double value) -> std::optional<TLineStability> {
    if (OutOfRange(*key, value)) return std::nullopt;
    TStabilityOptions changed = options;
    SetModelValue(changed.Model, *key, value);
    try {
      return AnalyseStability(condition, changed);
    } catch (const CalculationError&) {
      return std::nullopt;
    }
  };
}

// The critical point of the request's key from the value the request gives it. The search
// takes each line on the grids asked for; the line at the point found is refined where needed.
TCriticalPoint CriticalOf(const StabilityRequest& request, const TSpinCondition& condition,
                          const TStabilityOptions& options, char separator) {
  TStabilityOptions searching = options;
  searching.Refine = false;
  double start = 0.0;
  const StabilityAt at = AtValues(request, condition, searching, separator, start);
  TCriticalPoint point = FindCriticalPoint(at, start);
  if (auto line = AtValues(request, condition, options, separator, start)(point.Value)) {
    point.Line = std::move(line);
    ++point.Evaluations;
  }
  return point;
}

TCommandReply Failed(ReplyStatus status, std::string message) {
  TCommandReply reply;
  reply.Status = status;
  reply.Messages.push_back(std::move(message));
  reply.Document = nullptr;
  return reply;
}

}  // namespace

OrRequestProblem<StabilityRequest> StabilityRequest::From(const TRequestValues& values,
                                                          const TRequestContext& context) {
  RequestReader reader(Command::kStability, values, context);
  StabilityRequest request;
  request.Texts = reader.Inputs();
  request.Card = CardChoiceOf(reader);
  request.Structure = reader.Flag("structure");
  request.Json = reader.Path("json");
  request.Intervals = static_cast<int>(reader.Count("intervals"));
  if (reader.Given("critical")) {
    const std::string key = reader.Text("critical");
    const TInputField* field = FindInputField(key);
    const TModelKey* card_key = FindModelKey(key);
    if (field != nullptr && field->Numeric() && !field->MarchOnly) {
      request.Critical = field->Key;
    } else if (card_key != nullptr && card_key->IsNumber()) {
      request.Critical = card_key->Path;
    } else {
      reader.Refuse("critical", key, "expected a numeric input (take-up-speed) or a card key");
    }
  }
  if (reader.Given("response")) {
    const std::string name = reader.Text("response");
    if (name == "take-up" || name == "take_up") {
      request.Response = Disturbance::kTakeUp;
    } else if (name == "throughput") {
      request.Response = Disturbance::kThroughput;
    } else {
      reader.Refuse("response", name, "expected take-up or throughput");
    }
  }
  if (reader.Given("frequencies")) {
    const std::string text = reader.Text("frequencies");
    if (auto hz = FrequencyRange(text, context.DecimalSeparator)) {
      request.FrequenciesHz = std::move(*hz);
    } else {
      reader.Refuse("frequencies", text, "expected F1:F2:N, 0 < F1 <= F2 (Hz), N from 1 to 10000");
    }
  }
  if (reader.Ok()) {
    const std::array<TOutputPlace, 1> outputs{{{"json", request.Json}}};
    CheckPlaces(reader, outputs);
  }
  if (reader.Ok() && reader.Given("response") != reader.Given("frequencies")) {
    reader.Refuse({ProblemKind::kUsage, "frequencies",
                   reader.Spelled("response") + " and " + reader.Spelled("frequencies") +
                       ": give both or neither"});
  }
  if (!reader.Ok()) return *reader.Problem();
  return request;
}

TCommandReply StabilityCommand(const TRequestValues& values, const TRequestContext& context) {
  auto made = StabilityRequest::From(values, context);
  if (auto* problem = std::get_if<TRequestProblem>(&made)) return Refusal(*problem);
  const StabilityRequest& request = std::get<StabilityRequest>(made);
  auto card = LoadCard(request.Card, context);
  if (auto* problem = std::get_if<TRequestProblem>(&card)) return Refusal(*problem);
  StabilityResponse response;
  response.Card = std::get<TLoadedCard>(std::move(card));
  const char separator = context.DecimalSeparator;
  TSpinCondition condition;
  OneMessage sink;
  if (!ReadInputs(request.Texts, separator, condition, sink, InputUse::kConverged)) {
    return Failed(ReplyStatus::kRefused, sink.message);
  }
  TStabilityOptions options;
  options.Model = response.Card.Card.Constants();
  options.Structure = request.Structure;
  options.Intervals = request.Intervals;
  try {
    TSteadyLineGrid grid;
    response.Line = AnalyseStability(condition, options, &grid);
    if (request.Response) {
      response.Response = DisturbanceResponse(grid, *request.Response, request.FrequenciesHz);
    }
    if (!request.Critical.empty()) {
      response.Critical = CriticalOf(request, condition, options, separator);
    }
  } catch (const CalculationError& error) {
    return Failed(ReplyStatus::kFailed, error.what());
  }
  TCommandReply reply;
  reply.Messages = response.Card.Warnings;
  reply.Document =
      StabilityJson({request.Texts, separator, response.Card.Card, response.Line, request.Critical,
                     response.Critical ? &*response.Critical : nullptr, request.Response,
                     response.Response, &context.Program, response.Card.Warnings});
  // The document alone on standard output, as solve's.
  const TOutputPlace json{"json", request.Json};
  reply.Summary = StabilitySummary(request, response, separator);
  reply.SummaryAside = request.Json == "-" && context.StandardStreams;
  if (!request.Json.empty()) {
    if (auto failure = WriteDocument(json, json_parts::DocumentText(reply.Document), context)) {
      reply.Status = ReplyStatus::kOutputs;
      reply.Messages.push_back(std::move(*failure));
    }
  }
  return reply;
}

}  // namespace vellmor
