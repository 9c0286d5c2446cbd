#pragma once

#include <string>
#include <variant>
#include <vector>

#include "vellmor/exports/json_parts.h"
#include "vellmor/requests/commands.h"
#include "vellmor/requests/request_values.h"

namespace vellmor::cli {

// What one call of the runner asks for: the command, the values of its request as typed, and
// how the runner itself shows the outcome.
struct TCommandLine {
  Command Which = Command::kRun;
  TRequestValues Values;
  bool Verbose = false;  // the single run: every pass of the tension search as it ends
  bool Quiet = false;    // the single run: no summary; the sweep: no progress line
  TProgram Program;      // recorded in the JSON documents
  std::vector<std::string> Arguments;  // after the command's words, for the sweep's job script
};

// Reads the options of a single run or of a subcommand (sweep, sweep merge, solve, model, fit)
// into the values of its request. Returns the command line, or the exit status when the parse
// itself ends the program: 0 after --help or --version, kExitUsage after a usage error (both
// already printed).
using TParsedCommand = std::variant<TCommandLine, int>;
TParsedCommand ParseCommandLine(int argc, const char* const* argv, char decimal_separator);

// The context of the runner's requests: its decimal separator, its spelling of a parameter,
// standard input and output for "-".
TRequestContext RunnerContext(char decimal_separator, const TProgram& program);

}  // namespace vellmor::cli
