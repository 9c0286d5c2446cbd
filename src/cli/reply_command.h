#pragma once

#include "cli/command_line.h"

namespace vellmor::cli {

// A command that answers with a reply alone (its row names its handler): the reply's summary
// on standard output, its messages on standard error. Returns the exit status of its status.
int RunReplyCommand(const TCommandLine& command_line, char decimal_separator);

}  // namespace vellmor::cli
