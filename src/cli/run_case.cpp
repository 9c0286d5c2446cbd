#include "cli/run_case.h"

#include <exception>
#include <iostream>
#include <optional>
#include <string>

#include "cli/arguments.h"
#include "cli/console_output.h"
#include "cli/exit_status.h"
#include "cli/process_signals.h"
#include "vellmor/requests/run_request.h"

namespace vellmor::cli {

int RunCase(const TCommandLine& command_line, char decimal_separator) {
  StreamSink sink(std::cerr);
  try {
    RunnerReader files;
    TRequestContext context = RunnerContext(decimal_separator, command_line.Program);
    context.Reader = &files;
    auto parsed = RunRequest::From(command_line.Values, context);
    if (const auto* problem = std::get_if<TRequestProblem>(&parsed)) {
      return Refuse(*problem, kExitUsage);
    }
    const RunRequest& request = std::get<RunRequest>(parsed);
    // An export or the result file on standard output has it to itself.
    bool output_taken = false;
    // A stop signal waits until the result file and the exports are in place, whole: a run
    // takes milliseconds. Not where an output is a pipe, a FIFO or a device, whose reader may
    // keep a write waiting as long as it likes; there Ctrl-C must still end the runner, and
    // such an output has no temporary file to leave behind.
    bool in_place = false;
    for (const TOutputPlace& output : request.Outputs()) {
      output_taken = output_taken || output.Name == "-";
      in_place = in_place || WrittenInPlace(output, context);
    }
    std::optional<DeferredStopSignals> deferred;
    if (!in_place) deferred.emplace();
    std::ostream& report = output_taken ? std::cerr : std::cout;
    ProgressPrinter progress(report, decimal_separator);
    TRunExecution execution;
    if (command_line.Verbose) execution.Observer = &progress;

    const RunResponse response = Execute(request, context, execution);
    const TRunOutcome& outcome = response.Outcome;
    if (!response.Message.empty()) sink.ShowMessage(response.Message);
    // "File can not open!" does not say why; a failed write's message does.
    if (outcome.Failure == RunFailureKind::kResultFileRefused) {
      sink.ShowMessage(outcome.FileProblem);
    }
    for (const std::string& warning : outcome.Warnings) sink.ShowMessage(warning);
    std::string summary_lost;
    if (response.Succeeded()) {
      if (!command_line.Quiet) {
        PrintSummary(report, outcome.Summary, decimal_separator,
                     outcome.Numbers ? &*outcome.Numbers : nullptr);
      }
      if (response.Converged) {
        if (!command_line.Quiet) {
          PrintAccuracy(report, *response.Converged, decimal_separator, sink);
        } else if (!response.Converged->Failure.empty()) {
          sink.ShowMessage(response.Converged->Failure);
        }
      }
      summary_lost = FlushFailure(report);
    }
    const std::vector<std::string> failures = WriteOutputs(request, response, context);
    for (const std::string& failure : failures) sink.ShowMessage(failure);
    if (!summary_lost.empty()) {
      sink.ShowMessage("can not print the summary to " +
                       std::string(&report == &std::cout ? "standard output" : "standard error") +
                       ": " + summary_lost);
    }
    return ExitStatusOf(outcome.Status, failures.empty(), summary_lost.empty());
  } catch (const std::exception& error) {
    // Nothing the core does is expected to get here (it reports its own failures); should
    // anything else give way, say what and fail rather than end without a word.
    sink.ShowMessage(error.what());
  }
  return kExitFailed;
}

}  // namespace vellmor::cli
