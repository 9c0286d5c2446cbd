#pragma once

#include <variant>

#include "cli/export_options.h"
#include "cli/fit_command.h"
#include "cli/model_options.h"
#include "cli/solve_command.h"
#include "cli/sweep_arguments.h"
#include "cli/sweep_merge.h"
#include "core/exports/json_parts.h"
#include "core/inputs/input_texts.h"

namespace vellmor::cli {

// What one call of the runner asks for.
struct TCommandLine {
  TInputTexts Texts;      // as typed; a field not given keeps the window's default text
  bool Verbose = false;   // report every pass of the tension search as it ends
  bool Quiet = false;     // no summary: the messages alone
  TProgram Program;       // recorded in the JSON
  bool Accuracy = false;  // compare the result with the converged solution
  TExportRequest Exports;

  // The converged solution is solved after a successful run: asked for, or its profile is.
  bool WantsConverged() const { return Accuracy || !Exports.ConvergedCsvFile.empty(); }
};

// Reads the options of a single run, or of a subcommand: sweep ("vellmor-cli sweep …"), solve
// (the converged model) or model (print a card); a
// field not given keeps the window's default text, written with the user's decimal separator.
// Returns the command line, the subcommand's request, or the exit status when the parse itself
// ends the program: 0 after --help or --version, kExitUsage after a usage error (both already
// printed).
using TParsedCommand = std::variant<TCommandLine, TSweepRequest, TSolveRequest, TModelChoice,
                                    TFitRequest, TMergeRequest, int>;
TParsedCommand ParseCommandLine(int argc, const char* const* argv, char decimal_separator);

}  // namespace vellmor::cli
