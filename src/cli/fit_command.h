#pragma once

#include "cli/command_line.h"

namespace vellmor::cli {

// vellmor-cli fit: the estimates, their intervals and what the fit found on standard output
// (standard error where the JSON takes standard output). Returns the exit status: 0 fitted, 1
// the data, cases, card or a constant refused, 2 the fit failed (did not converge: its last
// iterate is still reported), 73 an export could not be written, 74 the summary could not be
// printed.
int RunFitCommand(const TCommandLine& command_line, char decimal_separator);

}  // namespace vellmor::cli
