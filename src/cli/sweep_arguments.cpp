#include "cli/sweep_arguments.h"

#include "cli/arguments.h"
#include "cli/console_output.h"

#include <sched.h>

#include <CLI/CLI.hpp>

#include <algorithm>
#include <array>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <thread>

#include "core/inputs/input_fields.h"
#include "core/sweep/cases_table.h"
#include "core/sweep/vary_list.h"

namespace vellmor::cli {
namespace {

constexpr const char* kDescription =
    "Runs many cases of the spinline, each an ordinary run of its input texts, on every core,\n"
    "and writes one summary line per case (CSV, in case order): case, the varied options,\n"
    "status, message, passes, spinneret tension, final velocity and the process numbers.\n"
    "\n"
    "  --vary OPTION=LIST   LIST is a,b,c (texts as typed) or start:stop:step (inclusive:\n"
    "                       3000:6000:500, 0.1:0.3:0.1). Several --vary make every\n"
    "                       combination, the first varying slowest.\n"
    "  --cases FILE.csv     one case per row instead; the header names the options. An empty\n"
    "                       cell keeps the option as given below (or the window's default).\n"
    "  --shard I/N          only the cases k with (k - 1) mod N = I - 1. Beside a summary\n"
    "                       FILE its sweep's record (FILE.sweep); vellmor-cli sweep merge\n"
    "                       SHARD.csv... [--output FILE] [--allow-missing] merges the shard\n"
    "                       summaries into the whole summary, refusing (exit 65) shards of\n"
    "                       another sweep, a case twice or a case in none (66: unreadable).\n"
    "  --resume             complete a summary FILE of this very sweep and shard: only its\n"
    "                       missing cases run.\n"
    "  --slurm-script N     print a Slurm job script: an array of N shards, then their merge.\n"
    "  --accuracy           also solve each succeeded case to convergence (about 0.3 ms more\n"
    "                       a case) and add converged_spinneret_tension_dyn,\n"
    "                       classical_error_percent (100 x (classical - converged) /\n"
    "                       converged), converged_freeze_point_cm, suggested_increment_cm\n"
    "                       (spinneret tension within 1 %) and converged_message (why the\n"
    "                       converged solution failed; its other cells are then empty).\n"
    "  --solve              solve every case with the converged model instead (the same\n"
    "                       summary; no result files). --vary and --cases then take card\n"
    "                       keys too (--vary heat_transfer.factor=1.2e-4:1.6e-4:0.1e-4,\n"
    "                       values with the point), and --model and --model-set set the\n"
    "                       card every case starts from.\n"
    "\n"
    "Input options given below apply to every case (a cases file's cells override them).\n"
    "Under a decimal comma (LC_NUMERIC), separate list values with ';' (0,5;1,0) and cases\n"
    "file cells with ';' too; range bounds may be typed with either separator, and the\n"
    "values are written with the comma, as each run reads them.";

constexpr const char* kFooter =
    "Exit status: 0 when every case ran (refused and failed cases included; the summary says\n"
    "which), 64 on a usage error (nothing written), 73 when the summary or a result file could\n"
    "not be written, 130 when interrupted (SIGINT, SIGTERM, SIGHUP): after 73 and 130 the\n"
    "summary holds the cases finished, which are always the first ones.\n";

// More threads than this is a slip of the keyboard, not a machine.
constexpr int kMaxJobs = 1024;

int UsageError(const std::string& message) {
  std::cerr << kMessagePrefix << message << "\nRun with --help for more information.\n";
  return kSweepExitUsage;
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

void AddSweepOptions(CLI::App& app, TSweepArguments& arguments, char decimal_separator) {
  // The description is the subcommand's line in vellmor-cli --help; what it does in detail
  // follows its options in vellmor-cli sweep --help.
  app.footer(std::string(kDescription) + "\n\n" + kFooter);
  arguments.Base = DefaultInputTexts(decimal_separator);
  arguments.Jobs = DefaultJobs();
  for (const TInputField& field : kInputFields) {
    if (!field.Numeric) continue;
    arguments.InputOptions.emplace_back(
        &field, app.add_option("--" + std::string(field.Name), arguments.Base.*field.Text,
                               std::string(field.Description))
                    ->capture_default_str());
  }
  app.add_option("--vary", arguments.Varies, "Vary an input option (repeatable; see above)")
      ->type_name("OPTION=LIST")
      ->expected(1)
      ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
  arguments.CasesOption =
      app.add_option("--cases", arguments.CasesPath,
                     "Run the cases of a CSV file instead of --vary (- for standard input)")
          ->type_name("FILE.csv");
  arguments.SummaryOption =
      app.add_option("--summary", arguments.SummaryPath,
                     "Write the summary CSV there (default and -: standard output)")
          ->type_name("FILE");
  arguments.ResultDirectoryOption =
      app.add_option("--result-dir", arguments.ResultDirectory,
                     "Also write each succeeded case's result file into DIR")
          ->type_name("DIR");
  app.add_option("-j,--jobs", arguments.Jobs,
                 "Cases run at the same time (default and 0: every core this process may run on)")
      ->type_name("N");
  app.add_option("--shard", arguments.ShardText, "Run only shard I of N of the cases")
      ->type_name("I/N")
      ->capture_default_str();
  app.add_flag("-q,--quiet", arguments.Quiet, "No progress line on standard error");
  app.add_flag("--accuracy", arguments.Accuracy,
               "Add the converged solution's columns to the summary (see above)");
  app.add_flag("--solve", arguments.Solve,
               "Solve every case with the converged model and a model card (see above)");
  app.add_flag("--structure", arguments.Structure,
               "With --solve: follow the fibre's structure, adding the columns birefringence, "
               "orientation, crystallinity and onset_cm");
  app.add_flag("--resume", arguments.Resume,
               "With --summary FILE: where FILE is a summary of this very sweep (a shard stopped "
               "at its time limit), run only its missing cases and complete it");
  arguments.SlurmOption =
      app.add_option("--slurm-script", arguments.SlurmShards,
                     "Print a Slurm job script that runs this sweep as an array of N shards and "
                     "merges them (see above); runs nothing")
          ->type_name("N");
  arguments.ModelOption = AddModelOptions(app, arguments.Model);
}

std::optional<int> RefusedSweepArgument(int argc, const char* const* argv) {
  for (int i = 1; i < argc; ++i) {
    if (NamesTheResultFile(argv[i])) {
      return UsageError(std::string(argv[i]) +
                        ": the sweep names each case's result file itself (see --result-dir)");
    }
  }
  return std::nullopt;
}

std::variant<TSweepRequest, int> SweepRequestOf(TSweepArguments arguments, char decimal_separator) {
  const std::array<std::pair<const CLI::Option*, const std::string*>, 4> names{{
      {arguments.CasesOption, &arguments.CasesPath},
      {arguments.ModelOption, &arguments.Model.File},
      {arguments.SummaryOption, &arguments.SummaryPath},
      {arguments.ResultDirectoryOption, &arguments.ResultDirectory},
  }};
  for (const auto& [option, name] : names) {
    if (option->count() > 0 && name->empty()) {
      return UsageError(option->get_name() + ": the name is empty");
    }
  }
  if (arguments.SummaryPath == "-") arguments.SummaryPath.clear();
  // 0 takes every core the process may run on: a batch job given one CPU on a cluster that
  // does not pin tasks sees them all, and its script says how many it has.
  const int jobs = arguments.Jobs == 0 ? DefaultJobs() : arguments.Jobs;
  if (jobs < 1 || jobs > kMaxJobs) {
    return UsageError("--jobs " + std::to_string(arguments.Jobs) + ": expected 0 to " +
                      std::to_string(kMaxJobs));
  }
  if (arguments.Resume && arguments.SummaryPath.empty()) {
    return UsageError("--resume: needs --summary FILE, the summary to complete");
  }
  if (arguments.SlurmOption != nullptr && arguments.SlurmOption->count() > 0 &&
      (arguments.SlurmShards < 1 || arguments.SlurmShards > 100000)) {
    return UsageError("--slurm-script " + std::to_string(arguments.SlurmShards) +
                      ": expected 1 to 100000 shards");
  }
  const std::string& cases_path = arguments.CasesPath;
  if (!cases_path.empty() && !arguments.Varies.empty()) {
    return UsageError("--cases " + cases_path + ": give the cases either as a file or by --vary");
  }
  std::optional<CaseSet> cases;
  if (!cases_path.empty()) {
    const std::optional<std::string> text = ReadWholeFile(cases_path);
    if (!text) return UsageError("--cases " + cases_path + ": the file can not be read");
    auto table = ReadCasesTable(*text, cases_path);
    if (const auto* problem = std::get_if<TSweepProblem>(&table)) {
      return UsageError(problem->Message);
    }
    cases = CaseSet::FromTable(arguments.Base, std::get<TCasesTable>(std::move(table)));
  } else {
    std::vector<TVariedOption> varied;
    for (const std::string& vary : arguments.Varies) {
      auto option = ParseVary(vary, decimal_separator);
      if (const auto* problem = std::get_if<TSweepProblem>(&option)) {
        return UsageError(problem->Message);
      }
      varied.push_back(std::get<TVariedOption>(std::move(option)));
      for (const auto& [field, input_option] : arguments.InputOptions) {
        if (field == varied.back().Column.Field && input_option->count() > 0) {
          return UsageError("--vary " + vary + ": the option is also given as --" +
                            std::string(field->Name));
        }
      }
    }
    auto product = CaseSet::Product(arguments.Base, std::move(varied));
    if (const auto* problem = std::get_if<TSweepProblem>(&product)) {
      return UsageError(problem->Message);
    }
    cases = std::get<CaseSet>(std::move(product));
  }
  if (arguments.Structure && !arguments.Solve) {
    return UsageError("--structure: the structure is the converged model's (add --solve)");
  }
  if (arguments.Solve) {
    if (!arguments.ResultDirectory.empty()) {
      return UsageError("--result-dir: the converged model writes no result files");
    }
    if (arguments.Accuracy) {
      return UsageError("--accuracy: with --solve every case is the converged solution already");
    }
    auto card = LoadModelCard(arguments.Model);
    if (const auto* problem = std::get_if<std::string>(&card)) return UsageError(*problem);
    cases->SetBaseCard(std::get<ModelCard>(std::move(card)));
  } else {
    for (const TSweepColumn& column : cases->Columns()) {
      if (column.OnCard()) {
        return UsageError(std::string(column.Name()) +
                          ": a card key is for the converged model (add --solve)");
      }
    }
    if (!arguments.Model.File.empty() || !arguments.Model.Settings.empty()) {
      return UsageError(std::string(arguments.Model.File.empty() ? "--model-set" : "--model") +
                        ": a model card is for the converged model (add --solve)");
    }
  }
  const auto shard = ParseShard(arguments.ShardText);
  if (const auto* problem = std::get_if<TSweepProblem>(&shard)) return UsageError(problem->Message);

  TSweepRequest request{std::move(*cases),     std::get<TShard>(shard),   cases_path,
                        arguments.SummaryPath, arguments.ResultDirectory, jobs,
                        arguments.Quiet,       arguments.Accuracy,        arguments.Solve,
                        arguments.Structure};
  request.Resume = arguments.Resume;
  if (arguments.SlurmOption != nullptr && arguments.SlurmOption->count() > 0) {
    request.SlurmShards = arguments.SlurmShards;
  }
  request.Arguments = std::move(arguments.Arguments);
  return request;
}

}  // namespace vellmor::cli
