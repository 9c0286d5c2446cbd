#include "vellmor/requests/sweep_request.h"

#include <sched.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <filesystem>
#include <map>
#include <memory>
#include <thread>

#include "vellmor/inputs/input_fields.h"
#include "vellmor/requests/outputs.h"
#include "vellmor/sweep/cases_table.h"
#include "vellmor/sweep/sweep_outputs.h"
#include "vellmor/sweep/sweep_problem.h"
#include "vellmor/sweep/sweep_record.h"
#include "vellmor/sweep/vary_list.h"

namespace vellmor {
namespace {

// Larger than any cases file or summary a sweep of ten million cases has.
constexpr std::size_t kMaxCasesBytes = std::size_t{4} << 30;

// A cases file or a summary: a header and at most a line per case.
TTextBounds SweepTextBounds(std::size_t bytes) {
  TTextBounds bounds;
  bounds.Bytes = bytes;
  bounds.BytesText = bytes == kMaxCasesBytes ? "4 GiB" : "the sweep's size";
  bounds.Lines = kMaxSweepCases + 1;
  return bounds;
}

// What a sweep's description must not combine, each rule once: the parameter it refuses, when,
// and why ({key} is another parameter, in the front end's spelling).
struct TSweepRule {
  std::string_view Key;
  bool (*Broken)(const SweepRequest& request, const RequestReader& reader);
  std::string_view Why;
};

constexpr std::array<TSweepRule, 9> kSweepRules{{
    {"cases",
     [](const SweepRequest& r, const RequestReader& reader) {
       return r.SlurmShards.has_value() && reader.Given("cases") &&
              reader.Context().StandardStreams && r.CasesPath == "-";
     },
     "- with {slurm_script}: each shard runs on its own and reads no standard input; give the "
     "cases as a file"},
    {"uncertainty",
     [](const SweepRequest& r, const RequestReader& reader) {
       return !r.Solve && reader.Given("uncertainty");
     },
     "intervals are the converged model's (add {solve})"},
    {"resume",
     [](const SweepRequest& r, const RequestReader&) { return r.Resume && r.SummaryPath.empty(); },
     "needs {summary} FILE, the summary to complete"},
    {"cases",
     [](const SweepRequest&, const RequestReader& reader) {
       return reader.Given("cases") && reader.Given("vary");
     },
     "give the cases either as a file or by {vary}"},
    {"structure",
     [](const SweepRequest& r, const RequestReader&) { return r.Structure && !r.Solve; },
     "the structure is the converged model's (add {solve})"},
    {"result_dir",
     [](const SweepRequest& r, const RequestReader&) {
       return r.Solve && !r.ResultDirectory.empty();
     },
     "the converged model writes no result files"},
    {"accuracy", [](const SweepRequest& r, const RequestReader&) { return r.Solve && r.Accuracy; },
     "with {solve} every case is the converged solution already"},
    {"model",
     [](const SweepRequest& r, const RequestReader& reader) {
       return !r.Solve && reader.Given("model");
     },
     "a model card is for the converged model (add {solve})"},
    {"model_set",
     [](const SweepRequest& r, const RequestReader& reader) {
       return !r.Solve && reader.Given("model_set");
     },
     "a model card is for the converged model (add {solve})"},
}};

TRequestProblem SweepProblem(const Spelling& spell, std::string_view key,
                             const TSweepProblem& problem) {
  if (problem.Subject.empty()) return {ProblemKind::kUsage, std::string(key), problem.Message};
  return ProblemWith(spell, key, problem.Subject, problem.Message);
}

}  // namespace

int DefaultJobs() {
  cpu_set_t cpus;
  CPU_ZERO(&cpus);
  if (sched_getaffinity(0, sizeof(cpus), &cpus) == 0 && CPU_COUNT(&cpus) > 0) {
    return CPU_COUNT(&cpus);
  }
  return static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
}

SummaryColumns SweepRequest::Columns() const {
  if (Accuracy) return SummaryColumns::kWithAccuracy;
  if (IntervalSettings) {
    return Structure ? SummaryColumns::kWithStructureAndIntervals : SummaryColumns::kWithIntervals;
  }
  return Structure ? SummaryColumns::kWithStructure : SummaryColumns::kProcess;
}

OrRequestProblem<SweepRequest> SweepRequest::From(const TRequestValues& values,
                                                  const TRequestContext& context) {
  RequestReader reader(Command::kSweep, values, context);
  const Spelling& spell = context.Spell;
  const TInputTexts base = reader.Inputs();
  const std::vector<std::string> varies = reader.Texts("vary");
  const std::optional<TSource> cases_file = reader.Source("cases");
  const TCardChoice card = CardChoiceOf(reader);
  const std::string shard = reader.Text("shard");
  // The request's own fields; the cases are made once every rule has passed.
  auto request = CaseSet::Product(base, {});
  SweepRequest sweep(std::move(std::get<CaseSet>(request)));
  sweep.SummaryPath = reader.Path("summary");
  if (sweep.SummaryPath == "-" && context.StandardStreams) sweep.SummaryPath.clear();
  sweep.ResultDirectory = reader.Path("result_dir");
  // 0 takes every core the process may run on: a batch job given one CPU on a cluster that
  // does not pin tasks sees them all, and its script says how many it has.
  const std::int64_t jobs = reader.Count("jobs");
  sweep.Jobs = jobs == 0 ? DefaultJobs() : static_cast<int>(jobs);
  sweep.Accuracy = reader.Flag("accuracy");
  sweep.Solve = reader.Flag("solve");
  sweep.Structure = reader.Flag("structure");
  sweep.Resume = reader.Flag("resume");
  sweep.Intervals = IntervalChoiceOf(reader);
  if (const auto shards = reader.OptionalCount("slurm_script")) {
    sweep.SlurmShards = static_cast<std::size_t>(*shards);
  }
  if (!sweep.SummaryPath.empty()) {
    // The summary and the record of its sweep beside it.
    CheckPlaces(reader, std::vector<TOutputPlace>{{"summary", sweep.SummaryPath},
                                                  {"summary", RecordPath(sweep.SummaryPath)}});
  }
  if (!reader.Ok()) return *reader.Problem();
  if (cases_file && !cases_file->Text) sweep.CasesPath = cases_file->Name;
  for (const TSweepRule& rule : kSweepRules) {
    if (!rule.Broken(sweep, reader)) continue;
    const std::string value = rule.Key == "cases" ? cases_file->Name : std::string();
    return ProblemWith(spell, rule.Key, value, SpelledText(rule.Why, spell));
  }

  if (cases_file) {
    auto text = ReadSource(context, "cases", *cases_file, SweepTextBounds(kMaxCasesBytes));
    if (auto* problem = std::get_if<TRequestProblem>(&text)) return std::move(*problem);
    auto table = ReadCasesTable(std::get<std::string>(text), cases_file->Name);
    if (auto* problem = std::get_if<TSweepProblem>(&table)) {
      return SweepProblem(spell, "cases", *problem);
    }
    sweep.Cases = CaseSet::FromTable(base, std::get<TCasesTable>(std::move(table)));
    sweep.CasesPath = cases_file->Name;
  } else {
    std::vector<TVariedOption> varied;
    for (const std::string& vary : varies) {
      auto option = ParseVary(vary, context.DecimalSeparator);
      if (auto* problem = std::get_if<TSweepProblem>(&option)) {
        return SweepProblem(spell, "vary", *problem);
      }
      varied.push_back(std::get<TVariedOption>(std::move(option)));
      const TInputField* field = varied.back().Column.Field;
      if (field != nullptr && reader.Given(field->Key)) {
        return ProblemWith(spell, "vary", vary, "the input is also given as " + spell(field->Key));
      }
    }
    auto product = CaseSet::Product(base, std::move(varied));
    if (auto* problem = std::get_if<TSweepProblem>(&product)) {
      return SweepProblem(spell, "vary", *problem);
    }
    sweep.Cases = std::get<CaseSet>(std::move(product));
  }
  if (sweep.Solve) {
    auto loaded = LoadCard(card, context);
    if (auto* problem = std::get_if<TRequestProblem>(&loaded)) return std::move(*problem);
    sweep.CardWarnings = std::get<TLoadedCard>(loaded).Warnings;
    auto settings =
        vellmor::IntervalSettings(sweep.Intervals, std::get<TLoadedCard>(loaded).Card, context);
    if (auto* problem = std::get_if<TRequestProblem>(&settings)) return std::move(*problem);
    sweep.IntervalSettings = std::get<std::optional<TUncertaintySettings>>(settings);
    sweep.Cases.SetBaseCard(std::get<TLoadedCard>(std::move(loaded)).Card);
  } else {
    for (const TSweepColumn& column : sweep.Cases.Columns()) {
      if (column.OnCard()) {
        return TRequestProblem{ProblemKind::kUsage, std::string(cases_file ? "cases" : "vary"),
                               std::string(column.Name()) +
                                   ": a card key is for the converged model (add " +
                                   spell("solve") + ")"};
      }
    }
  }
  auto parsed_shard = ParseShard(shard);
  if (auto* problem = std::get_if<TSweepProblem>(&parsed_shard)) {
    return SweepProblem(spell, "shard", *problem);
  }
  sweep.Shard = std::get<TShard>(parsed_shard);
  return sweep;
}

namespace {

// Where the summary's lines go: a file or standard output through the one writer, or memory.
class SummarySink {
 public:
  SummarySink(const std::string& path, bool to_memory) {
    if (!to_memory) file_ = std::make_unique<SummaryOutput>(path);
  }
  void Write(std::string_view text) {
    if (file_) {
      file_->Write(text);
    } else {
      memory_ += text;
    }
  }
  void Flush() {
    if (file_) file_->Flush();
  }
  void Commit() {
    if (file_) file_->Commit();
  }
  std::string& Memory() { return memory_; }

 private:
  std::unique_ptr<SummaryOutput> file_;
  std::string memory_;
};

// Writes each case's summary line as the pool reports it, counts the statuses and passes the
// progress on.
class SweepReport : public SweepObserver {
 public:
  SweepReport(const SweepRequest& request, SummarySink& summary, SweepFollower* follower)
      : request_(request), summary_(summary), follower_(follower) {}

  void OnCase(const TCaseResult& result) override {
    std::string line =
        SummaryLine(result, request_.Cases.ColumnTextsOf(result.Case), request_.Columns());
    if (held_ != nullptr) {
      held_->emplace(result.Case, std::move(line));
    } else {
      summary_.Write(line);
    }
    ++reported_;
    switch (result.Status) {
      case RunStatus::kSucceeded:
        ++tally_.Succeeded;
        break;
      case RunStatus::kRefused:
        ++tally_.Refused;
        break;
      case RunStatus::kFailed:
        ++tally_.Failed;
        break;
    }
  }

  void OnProgress(std::size_t done, std::size_t total) override {
    if (follower_ != nullptr) follower_->OnProgress(done, total);
    // Lines reach a reader of standard output (a pipe, a terminal) as they come, a few times
    // a second rather than once per case.
    const auto now = std::chrono::steady_clock::now();
    if (now - last_flush_ >= std::chrono::milliseconds(200)) {
      summary_.Flush();
      last_flush_ = now;
    }
  }

  bool StopRequested() override { return follower_ != nullptr && follower_->StopRequested(); }

  // A resumed summary's lines are held, to be written in case order with the earlier ones.
  void Hold(std::map<std::size_t, std::string>& lines) { held_ = &lines; }

  const TStatusTally& tally() const { return tally_; }
  std::size_t reported() const { return reported_; }

 private:
  const SweepRequest& request_;
  SummarySink& summary_;
  SweepFollower* follower_;
  std::map<std::size_t, std::string>* held_ = nullptr;
  TStatusTally tally_;
  std::size_t reported_ = 0;
  std::chrono::steady_clock::time_point last_flush_ = std::chrono::steady_clock::now();
};

// A file's text within a size and a sweep's lines; nullopt when it can not be read or passes
// them.
std::optional<std::string> ReadFileText(const TRequestContext& context, const std::string& name,
                                        std::size_t limit) {
  FileReader files;
  SourceReader& reader = context.Reader != nullptr ? *context.Reader : files;
  std::optional<TBoundedText> text = reader.Read(name, SweepTextBounds(limit));
  if (!text || !text->Exceeded.empty()) return std::nullopt;
  return std::move(text->Text);
}

// What an earlier summary of this very shard holds: its cases' lines; the shard's missing
// cases go into options.Only. Throws SweepOutputError (refused) when it is of another sweep.
std::map<std::size_t, std::string> Resumed(const SweepRequest& request,
                                           const TRequestContext& context, TSweepOptions& options) {
  std::map<std::size_t, std::string> lines;
  std::error_code error;
  if (!std::filesystem::exists(request.SummaryPath, error)) return lines;
  const auto refuse = [&](const std::string& why) {
    return SweepOutputError(context.Spell("resume") + " " + request.SummaryPath + ": " + why,
                            SweepOutputError::Kind::kRefused);
  };
  if (!std::filesystem::is_regular_file(request.SummaryPath, error)) {
    throw refuse("no regular file: a summary written there has no record to resume by");
  }
  const std::string record_path = RecordPath(request.SummaryPath);
  const std::optional<std::string> record_text = ReadFileText(context, record_path, 1 << 16);
  if (!record_text) {
    throw refuse("no record of its sweep beside it (" + record_path +
                 "): it is not a sweep's summary to resume");
  }
  auto record = ReadRecord(*record_text, record_path);
  if (auto* problem = std::get_if<std::string>(&record)) throw refuse(*problem);
  const TSweepRecord expected = RecordOf(request.Cases, options);
  const TSweepRecord& found = std::get<TSweepRecord>(record);
  if (found.Fingerprint != expected.Fingerprint || found.CaseCount != expected.CaseCount ||
      found.Shard.Index != expected.Shard.Index || found.Shard.Count != expected.Shard.Count) {
    throw refuse("the summary of another sweep (or shard); nothing was run");
  }
  const std::optional<std::string> text =
      ReadFileText(context, request.SummaryPath, kMaxCasesBytes);
  if (!text) throw refuse("the file can not be read");
  auto read = ReadSummaryLines(*text, request.SummaryPath);
  if (auto* problem = std::get_if<std::string>(&read)) throw refuse(*problem);
  TSummaryLines& summary = std::get<TSummaryLines>(read);
  if (summary.Header != SummaryHeader(request.Cases.Columns(), request.Columns())) {
    throw refuse("its header is not this sweep's");
  }
  for (auto& [case_number, line] : summary.Cases) lines.emplace(case_number, std::move(line));
  const std::size_t total = ShardCaseCount(request.Cases.Count(), request.Shard);
  options.Only.emplace();
  for (std::size_t position = 0; position < total; ++position) {
    const std::size_t case_number = ShardCase(request.Shard, position);
    if (!lines.contains(case_number)) options.Only->push_back(case_number);
  }
  return lines;
}

SweepResponse::End EndOf(const SweepOutputError& error) {
  return error.WhatKind() == SweepOutputError::Kind::kRefused ? SweepResponse::End::kRefused
                                                              : SweepResponse::End::kCantWrite;
}

}  // namespace

SweepResponse Execute(const SweepRequest& request, const TRequestContext& context,
                      SweepFollower* follower) {
  SweepResponse response;
  const bool to_memory = request.SummaryPath.empty() && !context.StandardStreams;
  std::optional<SweepOutputError> failure;
  try {
    if (!to_memory) {
      CheckSummaryPlace(request.SummaryPath, request.CasesPath, request.ResultDirectory,
                        request.Cases, context.Spell);
    }
    std::unique_ptr<ResultDirectory> files;
    if (!request.ResultDirectory.empty()) {
      files =
          std::make_unique<ResultDirectory>(request.ResultDirectory, request.Cases, context.Spell);
    }
    TSweepOptions options;
    options.Jobs = request.Jobs;
    options.DecimalSeparator = context.DecimalSeparator;
    options.Shard = request.Shard;
    options.Files = files.get();
    options.Accuracy = request.Accuracy;
    options.Solve = request.Solve;
    options.Structure = request.Structure;
    options.Intervals = request.IntervalSettings;
    // What an earlier summary holds, read before the new one is opened over it.
    std::map<std::size_t, std::string> earlier;
    if (request.Resume) earlier = Resumed(request, context, options);
    SummarySink summary(request.SummaryPath, to_memory);
    SweepReport report(request, summary, follower);
    const std::string header = SummaryHeader(request.Cases.Columns(), request.Columns());
    if (request.Resume) {
      report.Hold(earlier);
    } else {
      summary.Write(header);
    }
    try {
      response.Outcome = RunSweep(request.Cases, options, report);
    } catch (const SweepOutputError& error) {
      // A result file that could not be written stops the sweep; the cases finished before it
      // stay in the summary.
      failure = error;
      response.Outcome.Total = ShardCaseCount(request.Cases.Count(), request.Shard);
      response.Outcome.Finished = report.reported();
    }
    files.reset();
    response.Tally = report.tally();
    if (request.Resume) {
      // The earlier cases and the new ones, in case order, as one run would have written them.
      summary.Write(header);
      for (const auto& [case_number, line] : earlier) summary.Write(line);
    }
    try {
      summary.Commit();
      // Beside a summary file, the record of its sweep: what the merge and resume check. A
      // summary written into a device, a pipe or standard output has no place beside it (a
      // record beside /dev/null would be a new file in /dev).
      std::error_code regular_error;
      if (!request.SummaryPath.empty() && request.SummaryPath != "-" &&
          std::filesystem::is_regular_file(request.SummaryPath, regular_error)) {
        const TOutputStatus recorded = WriteWholeOutput(
            RecordPath(request.SummaryPath), RecordText(RecordOf(request.Cases, options)));
        if (!recorded.Ok()) {
          throw SweepOutputError("can not write " + RecordPath(request.SummaryPath) + ": " +
                                 recorded.Reason);
        }
      }
    } catch (const SweepOutputError& error) {
      // The summary itself could not be written: said after what stopped the sweep.
      response.Ending = EndOf(error);
      response.Message = failure && std::string_view(failure->what()) != error.what()
                             ? std::string(failure->what()) + "\n" + error.what()
                             : error.what();
      return response;
    }
    response.Summary = std::move(summary.Memory());
  } catch (const SweepOutputError& error) {
    response.Ending = EndOf(error);
    response.Message = error.what();
    return response;
  }
  if (failure) {
    response.Ending = SweepResponse::End::kCantWrite;
    response.Message = std::string(failure->what()) + "; the summary holds the " +
                       std::to_string(response.Outcome.Finished) + " cases finished before it";
  } else if (response.Outcome.Stopped) {
    response.Ending = SweepResponse::End::kStopped;
    response.Message = "interrupted after " + std::to_string(response.Outcome.Finished) + " of " +
                       std::to_string(response.Outcome.Total) + " cases; the summary holds those " +
                       std::to_string(response.Outcome.Finished);
  }
  return response;
}

}  // namespace vellmor
