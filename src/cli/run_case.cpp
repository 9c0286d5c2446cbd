#include "cli/run_case.h"

#include <exception>
#include <iostream>
#include <memory>

#include "cli/console_output.h"
#include "core/inputs/user_number_format.h"
#include "core/run/run_sequence.h"
#include "core/solver/run_state.h"

namespace vellmor::cli {

int RunCase(const TCommandLine& command_line) {
  StreamSink sink(std::cerr);
  try {
    const char separator = UserDecimalSeparator();
    ProgressPrinter progress(std::cout, separator);
    TRunOptions options;
    options.DecimalSeparator = separator;
    if (command_line.Verbose) options.Observer = &progress;

    // The profile is large; the state lives on the heap.
    const auto state = std::make_unique<TRunState>();
    const TRunOutcome outcome = RunSpinline(command_line.Texts, *state, sink, options);
    switch (outcome.Status) {
      case RunStatus::kSucceeded:
        PrintSummary(std::cout, outcome.Summary, separator);
        return kExitSucceeded;
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
