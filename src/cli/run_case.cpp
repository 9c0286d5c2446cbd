#include "cli/run_case.h"

#include <cerrno>
#include <exception>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <system_error>

#include "cli/console_output.h"
#include "cli/export_files.h"
#include "cli/process_signals.h"
#include "core/base/message_keeper.h"
#include "core/base/output_file.h"
#include "core/converged/accuracy_check.h"
#include "core/inputs/user_number_format.h"
#include "core/run/run_sequence.h"
#include "core/solver/run_state.h"

namespace vellmor::cli {

int RunCase(const TCommandLine& command_line) {
  StreamSink sink(std::cerr);
  try {
    const char separator = UserDecimalSeparator();
    // An export or the result file on standard output has it to itself.
    const bool output_taken =
        command_line.Exports.UsesStandardOutput() || command_line.Texts.SaveFileName == "-";
    std::ostream& report = output_taken ? std::cerr : std::cout;
    ProgressPrinter progress(report, separator);
    TRunOptions options;
    options.DecimalSeparator = separator;
    options.Output.DashIsStandardOutput = true;
    if (command_line.Verbose) options.Observer = &progress;

    // A stop signal waits until the result file and the exports are in place, whole: a run
    // takes milliseconds. Not where an output is a pipe, a FIFO or a device, whose reader may
    // keep a write waiting as long as it likes; there Ctrl-C must still end the runner, and
    // such an output has no temporary file to leave behind.
    std::optional<DeferredStopSignals> deferred;
    const TOutputOptions output_options{.DashIsStandardOutput = true};
    bool in_place = WrittenInPlace(command_line.Texts.SaveFileName, output_options);
    for (const std::string* name : {&command_line.Exports.JsonFile, &command_line.Exports.CsvFile,
                                    &command_line.Exports.ConvergedCsvFile}) {
      in_place = in_place || (!name->empty() && WrittenInPlace(*name, output_options));
    }
    if (!in_place) deferred.emplace();
    // The profile is large; the state lives on the heap.
    const auto state = std::make_unique<TRunState>();
    MessageKeeper messages(sink);
    const TRunOutcome outcome = RunSpinline(command_line.Texts, *state, messages, options);
    // The run's one message, before the converged solution may add its own.
    const std::string message = messages.Messages().empty() ? "" : messages.Messages().back();
    // "File can not open!" does not say why; a failed write's message does.
    if (outcome.Failure == RunFailureKind::kResultFileRefused) {
      sink.ShowMessage(outcome.FileProblem);
    }
    for (const std::string& warning : outcome.Warnings) sink.ShowMessage(warning);
    std::optional<TAccuracyCheck> converged;
    std::string summary_lost;
    if (outcome.Status == RunStatus::kSucceeded) {
      if (!command_line.Quiet) {
        PrintSummary(report, outcome.Summary, separator,
                     outcome.Numbers ? &*outcome.Numbers : nullptr);
      }
      if (command_line.WantsConverged()) {
        converged = CheckAccuracy(*state);
        if (!command_line.Quiet) {
          PrintAccuracy(report, *converged, separator, sink);
        } else if (!converged->Failure.empty()) {
          sink.ShowMessage(converged->Failure);
        }
      }
      summary_lost = FlushFailure(report);
    }
    const bool exported =
        WriteExports(command_line.Exports, command_line.Texts, separator, outcome, message, *state,
                     converged ? &*converged : nullptr, sink, &command_line.Program);
    if (!summary_lost.empty()) {
      sink.ShowMessage("can not print the summary to " +
                       std::string(&report == &std::cout ? "standard output" : "standard error") +
                       ": " + summary_lost);
    }
    return ExitStatusOf(outcome.Status, exported, summary_lost.empty());
  } catch (const std::exception& error) {
    // Nothing the core does is expected to get here (it reports its own failures); should
    // anything else give way, say what and fail rather than end without a word.
    sink.ShowMessage(error.what());
  }
  return kExitFailed;
}

}  // namespace vellmor::cli
