// vellmor-cli fit: card constants fitted to measurements taken on the line, with their
// intervals, and which measurement would pin them down best.

#include "cli/fit_command.h"

#include <unistd.h>
#include <CLI/CLI.hpp>

#include <charconv>
#include <cmath>
#include <ctime>
#include <iostream>
#include <optional>
#include <variant>
#include <vector>

#include "cli/arguments.h"
#include "cli/console_output.h"
#include "cli/exit_status.h"
#include "cli/export_files.h"
#include "cli/export_options.h"
#include "cli/sweep_progress.h"
#include "core/base/output_file.h"
#include "core/exports/fit_json.h"
#include "core/fit/fit_run.h"
#include "core/fit/measured_data.h"
#include "core/fit/spinline_fit.h"
#include "core/inputs/input_fields.h"

namespace vellmor::cli {
namespace {

constexpr const char* kFooter =
    "Fits constants of the model card (--fit KEY, KEY=START or KEY=START:LO:HI; repeatable)\n"
    "to the measurements of --measured FILE.csv (columns case, x_cm, quantity, value, sigma;\n"
    "case and sigma optional; quantity diameter_um, temperature_C, velocity_m_min or\n"
    "tension_dyn). Every evaluation solves every case with the converged model, its spinneret\n"
    "tension shot to the take-up speed. --cases FILE.csv gives the operating conditions, the\n"
    "sweep's format with a column case naming each; without it every measurement belongs to\n"
    "the case of the input options. Where sigma is missing, one sigma per quantity is estimated\n"
    "from the residuals. --suggest N --candidates FILE.csv names the N candidate measurements\n"
    "(the measured format without value) that would shrink the constants' joint confidence\n"
    "region most.\n"
    "Exit status: 0 fitted; 1 the data, cases, card or a constant refused; 2 the fit failed (a\n"
    "start that cannot be solved, or no convergence: the last iterate is still reported); 64\n"
    "the command line is wrong; 73 an export could not be written; 74 the summary could not be\n"
    "printed.\n";

// Larger than any file of measurements a line gives.
constexpr std::size_t kMaxDataBytes = std::size_t{64} << 20;

// digits significant digits, in exponent form where that is shorter.
std::string Significant(double value, int digits = 6) {
  if (!std::isfinite(value)) return "-";
  char text[64];
  const auto result =
      std::to_chars(text, text + sizeof text, value, std::chars_format::general, digits);
  return std::string(text, result.ptr);
}

std::string Padded(std::string text, std::size_t width) {
  if (text.size() < width) text.insert(0, width - text.size(), ' ');
  return text;
}

// The whole of a file the fit reads, or nullopt and why not.
std::optional<std::string> ReadText(const std::string& path, std::string& problem) {
  std::optional<std::string> text = ReadWholeFile(path, kMaxDataBytes);
  if (!text) {
    problem = path + ": the file can not be read";
  } else if (text->size() > kMaxDataBytes) {
    problem = path + ": larger than 64 MiB";
    text.reset();
  }
  return text;
}

void PrintFit(std::ostream& out, const TFitResult& result, std::size_t cases,
              std::size_t measurements) {
  out << "Fit of " << result.Parameters.size() << " constant"
      << (result.Parameters.size() == 1 ? "" : "s") << " to " << measurements << " measurements in "
      << cases << " case" << (cases == 1 ? "" : "s") << ": " << result.Iterations << " iterations, "
      << result.ModelSolves << " model solves\n";
  out << Padded("", 38) << Padded("estimate", 13) << Padded("std. error", 13)
      << Padded("Wald 95 %", 28) << Padded("profile 95 %", 27) << '\n';
  for (const TParameterEstimate& p : result.Parameters) {
    std::string name(p.Key);
    name.resize(std::max<std::size_t>(name.size() + 1, 38), ' ');
    const auto interval = [](const std::array<double, 2>& i) {
      return Padded("[" + Significant(i[0]) + ", " + Significant(i[1]) + "]", 26);
    };
    out << name << Padded(Significant(p.Estimate), 13) << Padded(Significant(p.StandardError), 13)
        << "  " << interval(p.Wald95) << " "
        << (p.Profile95 ? interval(*p.Profile95) : Padded("-", 26)) << '\n';
  }
  out << "Chi-square " << Significant(result.ChiSquare) << " on " << result.DegreesOfFreedom
      << " degrees of freedom\n";
  if (result.Parameters.size() > 1) {
    out << "Correlation:\n";
    for (std::size_t a = 0; a < result.Correlation.size(); ++a) {
      std::string name(result.Parameters[a].Key);
      name.resize(std::max<std::size_t>(name.size() + 1, 38), ' ');
      out << name;
      for (const double v : result.Correlation[a]) out << Padded(Significant(v, 4), 9);
      out << '\n';
    }
  }
  for (const TCaseFit& c : result.Cases) {
    out << "Case " << c.Name << ": spinneret tension " << Significant(c.SpinneretTensionDyn)
        << " dyn, " << c.Residuals.size() << " measurements\n";
  }
  for (const Quantity q : kQuantities) {
    const std::size_t i = static_cast<std::size_t>(q);
    if (!result.Rms[i]) continue;
    out << "RMS of model - measured, " << QuantityName(q) << ": " << Significant(*result.Rms[i], 4);
    if (result.EstimatedSigma[i]) {
      out << " (sigma " << Significant(*result.EstimatedSigma[i], 4)
          << " estimated from the residuals: the data give none)";
    }
    out << '\n';
  }
  for (const std::string& warning : result.Warnings) out << "Warning: " << warning << '\n';
  if (!result.Suggestions.empty()) out << "Measure next, in this order:\n";
  int pick = 0;
  for (const TSuggestion& s : result.Suggestions) {
    out << "  " << ++pick << ". " << QuantityName(s.Candidate.What) << " at "
        << Significant(s.Candidate.X) << " cm"
        << (s.Candidate.Case.empty() ? "" : " in case " + s.Candidate.Case) << " (sigma "
        << Significant(s.Sigma, 4) << "): standard errors then";
    for (std::size_t j = 0; j < result.Parameters.size(); ++j) {
      out << (j == 0 ? " " : ", ") << result.Parameters[j].Key << " "
          << Significant(s.StandardErrorsAfter[j], 3);
    }
    out << '\n';
  }
}

// Today's local date, "2026-12-10", which names a fitted card.
std::string Today() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  char text[16] = "";
  if (::localtime_r(&now, &local) != nullptr) std::strftime(text, sizeof text, "%Y-%m-%d", &local);
  return text;
}

// The fitted card, named after the measurements and the day, with a comment of what was
// fitted, as YAML.
std::string FittedCardYaml(const TFitResult& result, const std::string& measured_file) {
  std::string text = "# Fitted by vellmor-cli fit (95 % intervals: Wald; profile likelihood):\n";
  for (const TParameterEstimate& p : result.Parameters) {
    text += "#   " + std::string(p.Key) + " = " + Significant(p.Estimate) + " [" +
            Significant(p.Wald95[0]) + ", " + Significant(p.Wald95[1]) + "]";
    if (p.Profile95) {
      text += "; [" + Significant((*p.Profile95)[0]) + ", " + Significant((*p.Profile95)[1]) + "]";
    }
    text += '\n';
  }
  std::vector<std::string_view> fitted;
  for (const TParameterEstimate& p : result.Parameters) fitted.push_back(p.Key);
  ModelCard card = result.Fitted;
  card.SetName(FittedCardName(card.Name(), fitted, measured_file, Today()));
  return text + ModelCardYaml(card);
}

}  // namespace

void AddFitOptions(CLI::App& app, TFitRequest& request) {
  AddInputOptions(app, request.Texts);
  AddModelOptions(app, request.Model);
  app.add_option("--measured", request.MeasuredFile, "The measurements (CSV; see below)")
      ->type_name("FILE.csv")
      ->required();
  app.add_option("--fit", request.Fits, "A card constant to fit (repeatable)")
      ->type_name("KEY[=START[:LO:HI]]")
      ->expected(1)
      ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll)
      ->required();
  app.add_option("--cases", request.CasesFile,
                 "The operating conditions, one per row, with a column case")
      ->type_name("FILE.csv");
  app.add_option("--json", request.JsonFile, "Write the fit as JSON (- for standard output)")
      ->type_name("FILE");
  app.add_option("--write-model", request.WriteModelFile,
                 "Write the card with the fitted constants (YAML)")
      ->type_name("FILE");
  app.add_option("--suggest", request.Suggest,
                 "Name the N candidate measurements that would help most")
      ->type_name("N");
  app.add_option("--candidates", request.CandidatesFile,
                 "Candidate measurements for --suggest (CSV without value)")
      ->type_name("FILE.csv");
  app.add_option("--max-iterations", request.MaxIterations,
                 "Levenberg-Marquardt iterations at most")
      ->capture_default_str()
      ->type_name("N");
  app.add_flag("--no-profile", request.NoProfile,
               "Skip the profile-likelihood intervals (a few fits per constant)");
  app.footer(kFooter);
}

void CheckFitRequest(const TFitRequest& request, const CLI::App& app) {
  RefuseEmptyValues(
      app, {"--measured", "--cases", "--json", "--write-model", "--candidates", "--model"});
  if ((request.Suggest > 0) != !request.CandidatesFile.empty()) {
    throw CLI::ValidationError("--suggest and --candidates", "give both or neither");
  }
  if (request.Suggest < 0) throw CLI::ValidationError("--suggest", "expected 1 or more");
  if (request.MaxIterations < 1)
    throw CLI::ValidationError("--max-iterations", "expected 1 or more");
}

int RunFitCommand(const TFitRequest& request, char decimal_separator) {
  StreamSink sink(std::cerr);
  const auto refuse = [&](const std::string& message) {
    sink.ShowMessage(message);
    return kExitRefused;
  };
  auto card = LoadModelCard(request.Model);
  if (const auto* problem = std::get_if<std::string>(&card)) return refuse(*problem);
  // The files are read here; what they hold is judged by the core, as for every front end.
  std::string problem;
  TFitInputs inputs;
  inputs.Texts = request.Texts;
  inputs.DecimalSeparator = decimal_separator;
  inputs.Card = std::get<ModelCard>(std::move(card));
  const std::optional<std::string> measured = ReadText(request.MeasuredFile, problem);
  if (!measured) return refuse(problem);
  inputs.Measured = *measured;
  inputs.MeasuredSource = request.MeasuredFile;
  std::optional<std::string> cases;
  if (!request.CasesFile.empty()) {
    cases = ReadText(request.CasesFile, problem);
    if (!cases) return refuse("--cases " + problem);
    inputs.Cases = *cases;
    inputs.CasesSource = request.CasesFile;
  }
  inputs.Fits = request.Fits;
  inputs.Options.MaxIterations = request.MaxIterations;
  inputs.Options.ProfileIntervals = !request.NoProfile;
  inputs.Options.Suggest = request.Suggest;
  // The intervals take a few fits per constant: on a terminal, a line says how far they are.
  ProgressLine progress(std::cerr, !request.NoProfile && ::isatty(STDERR_FILENO) != 0,
                        "interval bounds");
  struct IntervalProgress : FitObserver {
    explicit IntervalProgress(ProgressLine& line) : line_(line) {}
    void OnIntervalBound(std::size_t done, std::size_t total) override {
      line_.Update(done, total);
    }
    ProgressLine& line_;
  } observer(progress);
  inputs.Options.Observer = &observer;
  std::optional<std::string> candidates;
  if (!request.CandidatesFile.empty()) {
    candidates = ReadText(request.CandidatesFile, problem);
    if (!candidates) return refuse(problem);
    inputs.Candidates = *candidates;
    inputs.CandidatesSource = request.CandidatesFile;
  }
  auto run = RunFit(inputs);
  progress.Clear();
  if (const auto* problem = std::get_if<std::string>(&run)) return refuse(*problem);
  const TFitRun& fitted = std::get<TFitRun>(run);
  const auto& fit = fitted.Fit;
  std::ostream& report = request.JsonFile == kStandardOutputName ? std::cerr : std::cout;
  const TFitResult* result = std::get_if<TFitResult>(&fit);
  const TFitFailure* failure = std::get_if<TFitFailure>(&fit);
  if (failure != nullptr) {
    sink.ShowMessage(failure->Message);
    if (failure->Last) {
      report << "The last iterate:\n";
      result = &*failure->Last;
    }
  }
  std::string summary_lost;
  if (result != nullptr) {
    PrintFit(report, *result, fitted.CaseCount, fitted.MeasurementCount);
    summary_lost = FlushFailure(report);
  }

  bool exported = true;
  const auto write = [&](const std::string& name, std::string_view what,
                         const std::string& contents) {
    exported = WriteExport(name, what, contents, sink) && exported;
  };
  if (!request.JsonFile.empty())
    write(request.JsonFile, "the JSON export", FitJsonText(fit, &request.Program));
  if (!request.WriteModelFile.empty() && failure == nullptr) {
    write(request.WriteModelFile, "the fitted card", FittedCardYaml(*result, request.MeasuredFile));
  }
  if (!summary_lost.empty()) {
    sink.ShowMessage("can not print the summary: " + summary_lost);
  }
  if (failure != nullptr) {
    return failure->Kind == FitFailureKind::kRefused ? kExitRefused : kExitFailed;
  }
  return ExitStatusOf(RunStatus::kSucceeded, exported, summary_lost.empty());
}

}  // namespace vellmor::cli
