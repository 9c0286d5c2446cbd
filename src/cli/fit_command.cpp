// vellmor-cli fit: card constants fitted to measurements taken on the line, with their
// intervals, and which measurement would pin them down best.

#include "cli/fit_command.h"

#include <unistd.h>

#include <charconv>
#include <cmath>
#include <iostream>
#include <optional>
#include <variant>

#include "cli/arguments.h"
#include "cli/console_output.h"
#include "cli/exit_status.h"
#include "cli/request_options.h"
#include "cli/sweep_progress.h"
#include "vellmor/base/number_text.h"
#include "vellmor/inputs/input_fields.h"
#include "vellmor/requests/fit_request.h"

namespace vellmor::cli {
namespace {

std::string Padded(std::string text, std::size_t width) {
  if (text.size() < width) text.insert(0, width - text.size(), ' ');
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
      return Padded("[" + SignificantText(i[0]) + ", " + SignificantText(i[1]) + "]", 26);
    };
    out << name << Padded(SignificantText(p.Estimate), 13)
        << Padded(SignificantText(p.StandardError), 13) << "  " << interval(p.Wald95) << " "
        << (p.Profile95 ? interval(*p.Profile95) : Padded("-", 26)) << '\n';
    if (p.ScaledWald95) {
      out << Padded("scaled by chi-square/dof", 38 + 13)
          << Padded(SignificantText(*p.ScaledStandardError), 13) << "  "
          << interval(*p.ScaledWald95) << '\n';
    }
  }
  out << "Chi-square " << SignificantText(result.ChiSquare) << " on " << result.DegreesOfFreedom
      << " degrees of freedom";
  if (result.LackOfFit) {
    out << ", p = " << SignificantText(result.LackOfFit->PValue, 3)
        << (result.LackOfFit->Described ? ": the model describes the data within their sigma"
                                        : ": the model does not describe the data within their "
                                          "sigma");
  }
  out << '\n';
  if (result.Parameters.size() > 1) {
    out << "Correlation:\n";
    for (std::size_t a = 0; a < result.Correlation.size(); ++a) {
      std::string name(result.Parameters[a].Key);
      name.resize(std::max<std::size_t>(name.size() + 1, 38), ' ');
      out << name;
      for (const double v : result.Correlation[a]) out << Padded(SignificantText(v, 4), 9);
      out << '\n';
    }
  }
  for (const TCaseFit& c : result.Cases) {
    // The case's conditions as given, so that a forgotten input shows.
    const TInputTexts defaults = DefaultInputTexts(c.DecimalSeparator);
    std::string given;
    for (const TInputField& field : kInputFields) {
      if (!field.Numeric() || c.Texts.*field.Text == defaults.*field.Text) continue;
      given += (given.empty() ? "" : ", ") + OptionSpelling(field.Key) + " " + c.Texts.*field.Text;
    }
    out << "Case " << c.Name << " (" << (given.empty() ? "the window's defaults" : given)
        << "): spinneret tension " << SignificantText(c.SpinneretTensionDyn) << " dyn, "
        << (c.FreezePointCm ? "freeze point " + SignificantText(*c.FreezePointCm, 4) + " cm"
                            : std::string("no freeze point"))
        << ", " << c.Residuals.size() << " measurements\n";
  }
  for (const Quantity q : kQuantities) {
    const std::size_t i = static_cast<std::size_t>(q);
    if (!result.Rms[i]) continue;
    out << "RMS of model - measured, " << QuantityName(q) << ": "
        << SignificantText(*result.Rms[i], 4);
    if (result.EstimatedSigma[i]) {
      out << " (sigma " << SignificantText(*result.EstimatedSigma[i], 4)
          << " estimated from the residuals: the data give none)";
    } else if (result.NormalisedRms[i]) {
      out << " (" << SignificantText(*result.NormalisedRms[i], 3) << " sigma)";
    }
    out << '\n';
  }
  for (const std::string& warning : result.Warnings) out << "Warning: " << warning << '\n';
  if (!result.Suggestions.empty()) out << "Measure next, in this order:\n";
  int pick = 0;
  for (const TSuggestion& s : result.Suggestions) {
    out << "  " << ++pick << ". " << QuantityName(s.Candidate.What) << " at "
        << SignificantText(s.Candidate.X) << " cm"
        << (s.Candidate.Case.empty() ? "" : " in case " + s.Candidate.Case) << " (sigma "
        << SignificantText(s.Sigma, 4) << "): standard errors then";
    for (std::size_t j = 0; j < result.Parameters.size(); ++j) {
      out << (j == 0 ? " " : ", ") << result.Parameters[j].Key << " "
          << SignificantText(s.StandardErrorsAfter[j], 3);
    }
    out << '\n';
  }
}

// The profile-likelihood intervals take a few fits per constant: on a terminal, a line says
// how far they are.
class IntervalProgress : public FitObserver {
 public:
  explicit IntervalProgress(ProgressLine& line) : line_(line) {}
  void OnIntervalBound(std::size_t done, std::size_t total) override { line_.Update(done, total); }

 private:
  ProgressLine& line_;
};

}  // namespace

int RunFitCommand(const TCommandLine& command_line, char decimal_separator) {
  StreamSink sink(std::cerr);
  RunnerReader files;
  TRequestContext context = RunnerContext(decimal_separator, command_line.Program);
  context.Reader = &files;
  auto parsed = FitRequest::From(command_line.Values, context);
  if (const auto* problem = std::get_if<TRequestProblem>(&parsed)) {
    return Refuse(*problem, kExitUsage);
  }
  const FitRequest& request = std::get<FitRequest>(parsed);
  ProgressLine progress(std::cerr, request.ProfileIntervals && ::isatty(STDERR_FILENO) != 0,
                        "interval bounds");
  IntervalProgress observer(progress);
  const FitResponse response = Execute(request, context, &observer);
  progress.Clear();
  if (response.Refused) {
    return Refuse(*response.Refused, response.Refused->Kind == ProblemKind::kImplausible
                                         ? kExitDataError
                                         : kExitRefused);
  }
  for (const std::string& warning : response.Warnings) sink.ShowMessage(warning);
  std::ostream& report = request.Json == "-" ? std::cerr : std::cout;
  const TFitFailure* failure = response.Failure();
  const TFitResult* result = response.Estimate();
  if (failure != nullptr) {
    sink.ShowMessage(failure->Message);
    if (result != nullptr) report << "The last iterate:\n";
  }
  std::string summary_lost;
  if (result != nullptr) {
    PrintFit(report, *result, response.Run->CaseCount, response.Run->MeasurementCount);
    summary_lost = FlushFailure(report);
  }
  const std::vector<std::string> failures = WriteOutputs(request, response, context);
  for (const std::string& message : failures) sink.ShowMessage(message);
  if (!summary_lost.empty()) {
    sink.ShowMessage("can not print the summary: " + summary_lost);
  }
  if (failure != nullptr) {
    return failure->Kind == FitFailureKind::kRefused ? kExitRefused : kExitFailed;
  }
  return ExitStatusOf(RunStatus::kSucceeded, failures.empty(), summary_lost.empty());
}

}  // namespace vellmor::cli
