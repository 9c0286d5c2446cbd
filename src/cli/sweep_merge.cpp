#include "cli/sweep_merge.h"

#include <CLI/CLI.hpp>

#include <iostream>
#include <optional>
#include <variant>

#include "cli/arguments.h"
#include "cli/console_output.h"
#include "cli/exit_status.h"
#include "core/base/output_file.h"
#include "core/sweep/sweep_record.h"

namespace vellmor::cli {
namespace {

constexpr const char* kFooter =
    "Each shard summary has the record of its sweep beside it (SHARD.csv.sweep, written by\n"
    "sweep --summary): shards of another sweep, a header that differs, a case in two shards\n"
    "and a case in none are refused, naming them.\n"
    "Exit status: 0 merged; 64 the command line is wrong; 65 the shards do not make the\n"
    "sweep (with --allow-missing, missing cases alone are no refusal); 66 a shard or its record\n"
    "can not be read; 73 the summary could not be written.";

// Larger than any summary a sweep of ten million cases writes.
constexpr std::size_t kMaxSummaryBytes = std::size_t{8} << 30;

}  // namespace

std::variant<TMergeRequest, int> ParseMergeCommand(int argc, const char* const* argv) {
  TMergeRequest request;
  CLI::App app("Merge the shard summaries of one sweep into its whole summary",
               "vellmor-cli sweep merge");
  app.option_defaults()->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
  app.failure_message([](const CLI::App* failed, const CLI::Error& error) {
    return std::string(kMessagePrefix) + CLI::FailureMessage::simple(failed, error);
  });
  app.footer(kFooter);
  app.add_option("shards", request.Shards, "The shard summaries, in any order")
      ->type_name("SHARD.csv")
      ->required();
  app.add_option("-o,--output", request.Output,
                 "Write the summary there (default and -: standard "
                 "output)")
      ->type_name("FILE");
  app.add_flag("--allow-missing", request.AllowMissing,
               "Write the cases there are; the missing ones are still named on standard error");
  try {
    // "vellmor-cli sweep merge" are the first three words.
    std::vector<std::string> arguments(argv + 3, argv + argc);
    std::reverse(arguments.begin(), arguments.end());
    app.parse(arguments);
    if (request.Output.empty()) throw CLI::ValidationError("--output", "the name is empty");
  } catch (const CLI::ParseError& error) {
    return app.exit(error) == 0 ? kExitSucceeded : kExitUsage;
  }
  return request;
}

int RunMergeCommand(const TMergeRequest& request) {
  const auto complain = [](const std::string& message, int status) {
    std::cerr << kMessagePrefix << message << '\n' << std::flush;
    return status;
  };
  std::vector<std::string> texts;
  std::vector<std::string> records;
  texts.reserve(request.Shards.size());
  records.reserve(request.Shards.size());
  for (const std::string& shard : request.Shards) {
    std::optional<std::string> text = ReadWholeFile(shard, kMaxSummaryBytes);
    if (!text) return complain(shard + ": the file can not be read", kMergeExitNoInput);
    const std::string record_path = RecordPath(shard);
    std::optional<std::string> record = ReadWholeFile(record_path, 1 << 16);
    if (!record) {
      return complain(shard + ": no record of its sweep beside it (" + record_path +
                          "), as sweep --summary writes one",
                      kMergeExitNoInput);
    }
    texts.push_back(std::move(*text));
    records.push_back(std::move(*record));
  }
  std::vector<TShardSummary> shards;
  for (std::size_t i = 0; i < request.Shards.size(); ++i) {
    shards.push_back({request.Shards[i], texts[i], records[i]});
  }
  auto merged = MergeSummaries(shards, request.AllowMissing);
  if (auto* problem = std::get_if<std::string>(&merged)) {
    return complain(*problem, kMergeExitRefused);
  }
  const TMergedSummary& summary = std::get<TMergedSummary>(merged);
  const TOutputStatus written =
      WriteWholeOutput(request.Output, summary.Summary, {.DashIsStandardOutput = true});
  if (!written.Ok()) {
    return complain("can not write the summary " + request.Output + ": " + written.Reason,
                    kExitExportFailed);
  }
  if (!summary.Missing.empty()) {
    complain(std::to_string(summary.Missing.size()) +
                 " cases are in no shard: " + CaseRanges(summary.Missing),
             0);
  }
  return kExitSucceeded;
}

}  // namespace vellmor::cli
