// vellmor-cli solve: the converged model as a run of its own, with a model card, its profile
// at chosen positions, and which input or constant moves the results most.

#include "cli/solve_command.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <iostream>
#include <optional>
#include <system_error>
#include <vector>

#include "cli/arguments.h"
#include "cli/console_output.h"
#include "cli/exit_status.h"
#include "cli/export_files.h"
#include "cli/export_options.h"
#include "cli/process_signals.h"
#include "core/base/output_file.h"
#include "core/converged/converged_run.h"
#include "core/exports/converged_json.h"
#include "core/exports/profile_csv.h"
#include "core/inputs/input_fields.h"
#include "core/inputs/number_conversion.h"
#include "core/report/format_fixed.h"
#include "core/sensitivity/sensitivities.h"

namespace vellmor::cli {
namespace {

constexpr const char* kFooter =
    "Solves the case with the converged model (adaptive Dormand-Prince 5(4), the take-up speed\n"
    "met to 1e-10) and the constants of a model card, writing no result file. The inputs are\n"
    "read and checked as for the single run; --increment is checked but not used.\n"
    "--sensitivities adds the elasticities d ln y / d ln p of the spinneret and take-up\n"
    "tension, the freeze point, the stress there, the final temperature and diameter with\n"
    "respect to every numeric input and card constant (central differences at p +- 0.1 %,\n"
    "three significant digits or better for every elasticity above 0.001).\n"
    "--structure follows the fibre's structure along the line (the card's section structure):\n"
    "the birefringence frozen in where the filament solidifies, its orientation, the\n"
    "crystallinity at take-up and where it first reached 1 %; the profile gains the stress,\n"
    "birefringence, orientation and crystallinity. A card with structure.coupled: true\n"
    "couples the crystallization back into the line, and implies --structure.\n"
    "Exit status: 0 solved; 1 an input or the card was refused; 2 the solution failed; 64 the\n"
    "command line is wrong; 73 an export could not be written; 74 the summary could not be\n"
    "printed.\n";

// The most positions a profile may have: far more than any plot or table needs.
constexpr int kMaxPoints = 1'000'000;

// --at's positions: separated by ';' when the text holds one, else by ',' (under a decimal
// comma, several positions need ';'), each read as an input field is.
std::optional<std::vector<double>> Positions(const std::string& text, char decimal_separator) {
  const char list_separator =
      text.find(';') != std::string::npos || decimal_separator == ',' ? ';' : ',';
  std::vector<double> positions;
  std::size_t start = 0;
  while (true) {
    const std::size_t end = text.find(list_separator, start);
    const std::string item = text.substr(start, end - start);
    const std::optional<double> x = ConvertNumber(item, decimal_separator);
    if (!x) return std::nullopt;
    positions.push_back(*x);
    if (end == std::string::npos) return positions;
    start = end + 1;
  }
}

// Short column heads for the six results, two lines each.
constexpr std::array<std::pair<const char*, const char*>, kSensitivityOutputs.size()> kHeads{{
    {"spinneret", "tension"},
    {"take-up", "tension"},
    {"freeze", "point"},
    {"stress at", "freeze"},
    {"final", "temper."},
    {"final", "diameter"},
}};

// The elasticities as a table: one row per parameter, the rows in the order of their largest
// elasticity's magnitude.
void PrintSensitivities(std::ostream& out, const TSensitivities& sensitivities,
                        char decimal_separator) {
  const auto largest = [&](std::size_t j) {
    double largest = -1.0;
    for (const auto& row : sensitivities.Elasticity) {
      if (row[j]) largest = std::max(largest, std::fabs(*row[j]));
    }
    return largest;
  };
  std::vector<std::size_t> order(sensitivities.Parameters.size());
  for (std::size_t j = 0; j < order.size(); ++j) order[j] = j;
  std::stable_sort(order.begin(), order.end(),
                   [&](std::size_t a, std::size_t b) { return largest(a) > largest(b); });
  constexpr int kNameWidth = 38;
  constexpr int kColumnWidth = 11;
  out << "\nElasticities d ln y / d ln p, largest first:\n";
  for (int line = 0; line < 2; ++line) {
    out << std::string(kNameWidth, ' ');
    for (const auto& head : kHeads) {
      const std::string text = line == 0 ? head.first : head.second;
      out << std::string(kColumnWidth - text.size(), ' ') << text;
    }
    out << '\n';
  }
  for (const std::size_t j : order) {
    std::string name(sensitivities.Parameters[j].Name);
    name.resize(std::max<std::size_t>(name.size() + 1, kNameWidth), ' ');
    out << name;
    for (const auto& row : sensitivities.Elasticity) {
      const std::string text = row[j] ? FormatFixed(*row[j], 12, 4, decimal_separator) : "-";
      out << std::string(kColumnWidth - std::min<std::size_t>(text.size(), kColumnWidth - 1), ' ')
          << text;
    }
    out << '\n';
  }
}

// The fibre's structure at take-up, in the summary's layout.
void PrintStructure(std::ostream& out, const TStructureSummary& structure, bool frozen,
                    char decimal_separator) {
  const auto number = [&](std::size_t i) {
    const TStructureNumberInfo& info = kStructureNumbers[i];
    return FormatFixed(info.Value(structure).value_or(0.0), 12, info.Decimals, decimal_separator);
  };
  const auto trimmed = [](std::string text) { return text.erase(0, text.find_first_not_of(' ')); };
  out << "Structure:          " << (structure.Coupled ? "coupled to the line" : "one-way") << '\n'
      << "Birefringence:      " << trimmed(number(0))
      << (frozen ? " (frozen in at the freeze point)\n" : " (at take-up, still molten)\n")
      << "Orientation:        " << trimmed(number(1)) << '\n'
      << "Crystallinity:      " << trimmed(number(2)) << '\n'
      << "Onset (1 % cryst.): "
      << (structure.Onset ? trimmed(number(3)) + " cm" : std::string("none")) << '\n';
}

}  // namespace

void AddSolveOptions(CLI::App& app, TSolveRequest& request) {
  AddInputOptions(app, request.Texts);
  AddModelOptions(app, request.Model);
  app.add_option("--json", request.JsonFile,
                 "Write the solution as one JSON document (- for standard output): inputs, "
                 "outcome, summary, process numbers, profile, the card as used")
      ->type_name("FILE");
  app.add_option("--csv", request.CsvFile, "Write the profile as CSV (- for standard output)")
      ->type_name("FILE");
  app.add_option("--points", request.Points,
                 "Profile positions, evenly spaced from the spinneret to the take-up point")
      ->capture_default_str()
      ->type_name("N");
  app.add_option("--at", request.At,
                 "Profile at these positions instead (cm, separated by ',' or ';')")
      ->type_name("X1,X2,...");
  app.add_flag("--sensitivities", request.Sensitivities,
               "Add the elasticities of the results to every input and card constant");
  app.add_flag("--structure", request.Structure,
               "Follow the fibre's structure: birefringence, orientation, crystallinity and the "
               "onset of crystallization");
  app.footer(kFooter);
}

void CheckSolveArguments(int argc, const char* const* argv) {
  for (int i = 1; i < argc; ++i) {
    if (NamesTheResultFile(argv[i])) {
      throw CLI::ValidationError(argv[i],
                                 std::string(argv[1]) + " writes no result file (see --json)");
    }
  }
}

void CheckSolveRequest(const TSolveRequest& request, const CLI::App& app) {
  RefuseEmptyValues(app, {"--json", "--csv", "--model", "--at"});
  if (!request.JsonFile.empty() && !request.CsvFile.empty() &&
      (request.JsonFile == kStandardOutputName || request.CsvFile == kStandardOutputName
           ? request.JsonFile == request.CsvFile
           : NamesSameFile(request.JsonFile, request.CsvFile))) {
    throw CLI::ValidationError("--json and --csv",
                               "both name one place; give each export a place of its own");
  }
  if (request.Points < 2 || request.Points > kMaxPoints) {
    throw CLI::ValidationError("--points", "expected 2 to " + std::to_string(kMaxPoints));
  }
  if (!request.At.empty() && app.get_option("--points")->count() > 0) {
    throw CLI::ValidationError("--at and --points", "give the positions one way");
  }
}

namespace {

// The solution, its summary and exports; the exit status.
int SolveAndReport(const TSolveRequest& request, char decimal_separator, StreamSink& sink) {
  auto card = LoadModelCard(request.Model);
  if (const auto* problem = std::get_if<std::string>(&card)) {
    sink.ShowMessage(*problem);
    return kExitRefused;
  }
  const ModelCard& model = std::get<ModelCard>(card);
  TConvergedRunOptions options;
  options.DecimalSeparator = decimal_separator;
  options.Model = model.Constants();
  options.Structure = request.Structure;
  options.Positions.Points = request.Points;
  if (!request.At.empty()) {
    const auto positions = Positions(request.At, decimal_separator);
    if (!positions) {
      sink.ShowMessage("--at " + request.At + ": expected positions in cm, separated by " +
                       (decimal_separator == ',' ? "';'" : "',' or ';'"));
      return kExitUsage;
    }
    options.Positions.At = *positions;
  }
  const bool output_taken =
      request.JsonFile == kStandardOutputName || request.CsvFile == kStandardOutputName;
  std::ostream& report = output_taken ? std::cerr : std::cout;
  // As for the single run: a stop signal waits until regular files are in place.
  std::optional<DeferredStopSignals> deferred;
  const TOutputOptions output_options{.DashIsStandardOutput = true, .Lock = true};
  bool in_place = false;
  for (const std::string* name : {&request.JsonFile, &request.CsvFile}) {
    in_place = in_place || (!name->empty() && WrittenInPlace(*name, output_options));
  }
  if (!in_place) deferred.emplace();

  const TConvergedRun run = RunConverged(request.Texts, options);
  std::optional<TSensitivities> sensitivities;
  std::string summary_lost;
  if (run.Status == RunStatus::kSucceeded) {
    if (request.Sensitivities) {
      sensitivities = ComputeSensitivities(run.Condition, options.Model, *run.Solution);
    }
    const TConvergedSolution& solution = *run.Solution;
    TRunSummary summary;
    summary.Passes = solution.Passes;
    summary.Tension = solution.SpinneretTension;
    summary.FinalVelocity = solution.FinalVelocity;
    summary.TakeUpVelocity = run.Condition.TakeUpSpeed * 100.0 / 60.0;
    summary.FinalDiameter = solution.FinalDiameter;
    summary.FinalTemperature = solution.FinalTemperature;
    report << "Model card:         " << model.Name() << '\n';
    PrintSolution(report, "Converged solution after ", summary, decimal_separator, &*run.Numbers,
                  options.Model.Laws.SolidificationC);
    if (solution.Structure)
      PrintStructure(report, *solution.Structure, solution.FreezePoint.has_value(),
                     decimal_separator);
    if (sensitivities) {
      PrintSensitivities(report, *sensitivities, decimal_separator);
      for (const std::string& failure : sensitivities->Failures) {
        sink.ShowMessage("Sensitivity not found for " + failure);
      }
    }
    summary_lost = FlushFailure(report);
  } else {
    sink.ShowMessage(run.Message);
  }

  bool exported = true;
  const auto write = [&](const std::string& name, std::string_view what,
                         const std::string& contents) {
    exported = WriteExport(name, what, contents, sink) && exported;
  };
  if (!request.JsonFile.empty()) {
    TConvergedRecord record{request.Texts, decimal_separator, run, model,
                            sensitivities ? &*sensitivities : nullptr};
    record.Program = &request.Program;
    write(request.JsonFile, "the JSON export", ConvergedRunJsonText(record));
  }
  if (!request.CsvFile.empty()) {
    write(request.CsvFile, "the CSV export",
          run.Solution
              ? ConvergedProfileCsv(run.Solution->Profile, run.Solution->Structure.has_value())
              : ConvergedProfileCsv({}, options.Structure || options.Model.Structure.Coupled));
  }
  if (!summary_lost.empty()) {
    sink.ShowMessage("can not print the summary: " + summary_lost);
  }
  return ExitStatusOf(run.Status, exported, summary_lost.empty());
}

}  // namespace

int RunSolveCommand(const TSolveRequest& request, char decimal_separator) {
  StreamSink sink(std::cerr);
  try {
    return SolveAndReport(request, decimal_separator, sink);
  } catch (const std::exception& error) {
    // As for the single run: should anything give way, say what and fail.
    sink.ShowMessage(error.what());
    return kExitFailed;
  }
}

int RunModelCommand(const TModelChoice& choice) {
  auto card = LoadModelCard(choice);
  if (const auto* problem = std::get_if<std::string>(&card)) {
    std::cerr << kMessagePrefix << *problem << '\n';
    return kExitRefused;
  }
  std::cout << ModelCardYaml(std::get<ModelCard>(card));
  const std::string lost = FlushFailure(std::cout);
  if (lost.empty()) return kExitSucceeded;
  std::cerr << kMessagePrefix << "can not print the card: " << lost << '\n';
  return kExitSummaryLost;
}

}  // namespace vellmor::cli
