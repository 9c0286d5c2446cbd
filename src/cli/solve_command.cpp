// vellmor-cli solve: the converged model as a run of its own, with a model card, its profile
// at chosen positions, and which input or constant moves the results most; vellmor-cli model:
// the card.

#include "cli/solve_command.h"

#include <algorithm>
#include <cmath>
#include <iostream>
#include <optional>
#include <vector>

#include "cli/arguments.h"
#include "cli/console_output.h"
#include "cli/exit_status.h"
#include "cli/process_signals.h"
#include "vellmor/report/format_fixed.h"
#include "vellmor/requests/solve_request.h"

namespace vellmor::cli {
namespace {

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

// The 95 % intervals of the numbers that have one: the process numbers the constants move, then
// the structure's.
void PrintIntervals(std::ostream& out, const TPropagatedUncertainty& uncertainty,
                    char decimal_separator) {
  const auto& intervals = uncertainty.Intervals;
  std::string keys;
  for (const std::string& key : uncertainty.Keys) keys += (keys.empty() ? "" : ", ") + key;
  const bool monte_carlo = uncertainty.Settings.Method == UncertaintyMethod::kMonteCarlo;
  out << "\n95 % intervals ("
      << (monte_carlo
              ? "Monte Carlo, " +
                    std::to_string(uncertainty.Settings.Samples - uncertainty.FailedSamples) +
                    " draws"
              : std::string("delta method"))
      << ") from the uncertainty of " << keys << ":\n";
  const auto row = [&](std::string_view label, int decimals, const std::optional<TInterval>& i) {
    // None, or a number the constants do not move (the fineness, the draw-down ratio).
    if (!i || !(i->Hi - i->Lo > 1e-7 * std::max(std::fabs(i->Lo), std::fabs(i->Hi)))) return;
    std::string text(label);
    // Padded to a width of characters: "µ" is two bytes of UTF-8.
    const auto width = static_cast<std::size_t>(
        std::count_if(text.begin(), text.end(), [](char c) { return (c & 0xC0) != 0x80; }));
    text.append(width < 33 ? 33 - width : 1, ' ');
    const auto bound = [&](double v) {
      std::string b = FormatFixed(v, 12, decimals + 1, decimal_separator);
      return b.erase(0, b.find_first_not_of(' '));
    };
    out << "  " << text << bound(i->Lo) << " to " << bound(i->Hi) << '\n';
  };
  for (std::size_t n = 0; n < intervals.Process.size(); ++n) {
    const TProcessNumberInfo& info = kProcessNumberTable[n];
    if (info.Key != "passes") row(info.Label, info.Decimals, intervals.Process[n]);
  }
  for (std::size_t n = 0; n < intervals.Structure.size(); ++n) {
    const TStructureNumberInfo& info = kStructureNumbers[n];
    row(info.Label, info.Decimals, intervals.Structure[n]);
  }
}

// The solution, its summary and exports; the exit status.
int SolveAndReport(const SolveRequest& request, const TRequestContext& context, StreamSink& sink) {
  const char decimal_separator = context.DecimalSeparator;
  bool output_taken = false;
  bool in_place = false;
  for (const TOutputPlace& output : request.Outputs()) {
    output_taken = output_taken || output.Name == "-";
    in_place = in_place || WrittenInPlace(output, context);
  }
  std::ostream& report = output_taken ? std::cerr : std::cout;
  // As for the single run: a stop signal waits until regular files are in place.
  std::optional<DeferredStopSignals> deferred;
  if (!in_place) deferred.emplace();

  const SolveResponse response = Execute(request, context);
  if (response.CardProblem) return Refuse(*response.CardProblem, kExitRefused);
  std::string summary_lost;
  if (response.Succeeded()) {
    const TConvergedSolution& solution = *response.Run.Solution;
    report << "Model card:         " << response.Card.Card.Name() << '\n';
    PrintSolution(report, "Converged solution after ", response.Summary, decimal_separator,
                  &*response.Run.Numbers, response.Card.Card.Constants().Laws.SolidificationC);
    if (solution.Structure) {
      PrintStructure(report, *solution.Structure, solution.FreezePoint.has_value(),
                     decimal_separator);
    }
    if (response.Uncertainty) {
      PrintIntervals(report, *response.Uncertainty, decimal_separator);
    }
    if (response.Sensitivities) {
      PrintSensitivities(report, *response.Sensitivities, decimal_separator);
    }
    summary_lost = FlushFailure(report);
  } else {
    sink.ShowMessage(response.Run.Message);
  }
  for (const std::string& warning : response.Warnings) sink.ShowMessage(warning);
  const std::vector<std::string> failures = WriteOutputs(request, response, context);
  for (const std::string& failure : failures) sink.ShowMessage(failure);
  if (!summary_lost.empty()) {
    sink.ShowMessage("can not print the summary: " + summary_lost);
  }
  return ExitStatusOf(response.Run.Status, failures.empty(), summary_lost.empty());
}

}  // namespace

int RunSolveCommand(const TCommandLine& command_line, char decimal_separator) {
  StreamSink sink(std::cerr);
  try {
    RunnerReader files;
    TRequestContext context = RunnerContext(decimal_separator, command_line.Program);
    context.Reader = &files;
    auto request = SolveRequest::From(command_line.Values, context);
    if (const auto* problem = std::get_if<TRequestProblem>(&request)) {
      return Refuse(*problem, kExitUsage);
    }
    return SolveAndReport(std::get<SolveRequest>(request), context, sink);
  } catch (const std::exception& error) {
    // As for the single run: should anything give way, say what and fail.
    sink.ShowMessage(error.what());
    return kExitFailed;
  }
}

}  // namespace vellmor::cli
