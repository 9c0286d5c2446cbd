#include "cli/run_case.h"

#include <exception>
#include <iostream>
#include <memory>
#include <optional>
#include <string>

#include "cli/console_output.h"
#include "cli/export_files.h"
#include "core/converged/accuracy_check.h"
#include "core/inputs/user_number_format.h"
#include "core/run/message_keeper.h"
#include "core/run/run_sequence.h"
#include "core/solver/run_state.h"

namespace vellmor::cli {

int RunCase(const TCommandLine& command_line) {
  StreamSink sink(std::cerr);
  try {
    const char separator = UserDecimalSeparator();
    // An export on standard output has it to itself.
    std::ostream& report = command_line.Exports.UsesStandardOutput() ? std::cerr : std::cout;
    ProgressPrinter progress(report, separator);
    TRunOptions options;
    options.DecimalSeparator = separator;
    if (command_line.Verbose) options.Observer = &progress;

    // The profile is large; the state lives on the heap.
    const auto state = std::make_unique<TRunState>();
    MessageKeeper messages(sink);
    const TRunOutcome outcome = RunSpinline(command_line.Texts, *state, messages, options);
    // The run's one message, before the converged solution may add its own.
    const std::string message = messages.Messages().empty() ? "" : messages.Messages().back();
    std::optional<TAccuracyCheck> converged;
    if (outcome.Status == RunStatus::kSucceeded) {
      PrintSummary(report, outcome.Summary, separator,
                   outcome.Numbers ? &*outcome.Numbers : nullptr);
      if (command_line.WantsConverged()) {
        converged = CheckAccuracy(*state);
        PrintAccuracy(report, *converged, separator, sink);
      }
    }
    const bool exported =
        WriteExports(command_line.Exports, command_line.Texts, separator, outcome, message, *state,
                     converged ? &*converged : nullptr, sink, std::cout);
    switch (outcome.Status) {
      case RunStatus::kSucceeded:
        return exported ? kExitSucceeded : kExitExportFailed;
      case RunStatus::kRefused:
        return kExitRefused;
      case RunStatus::kFailed:
        return kExitFailed;
    }
  } catch (const std::exception& error) {
    // Nothing the core does is expected to get here (it reports its own failures); should
    // anything else give way, say what and fail rather than end without a word.
    sink.ShowMessage(error.what());
  }
  return kExitFailed;
}

}  // namespace vellmor::cli
