#pragma once

#include <string>
#include <string_view>

#include "cli/model_options.h"
#include "core/exports/json_parts.h"
#include "core/inputs/input_texts.h"

namespace CLI {
class App;
}

namespace vellmor::cli {

// The command words of the converged model: "vellmor-cli solve …" and "vellmor-cli model".
inline constexpr std::string_view kSolveCommand = "solve";
inline constexpr std::string_view kModelCommand = "model";

// What one call of vellmor-cli solve asks for.
struct TSolveRequest {
  TInputTexts Texts;  // the window's defaults, with the input options given
  TModelChoice Model;
  std::string JsonFile;  // "-" for standard output; empty for none
  std::string CsvFile;
  int Points = 1001;
  std::string At;  // positions as typed, empty for --points
  bool Sensitivities = false;
  bool Structure = false;  // --structure
  TProgram Program;        // recorded in the JSON
};

// Adds the options of solve to its subcommand app: the input fields but the result file,
// --model, --model-set, --json, --csv, --points, --at, --sensitivities and --structure.
void AddSolveOptions(CLI::App& app, TSolveRequest& request);

// Refuses the result file's options before the parse, which would only call them unexpected
// (solve and fit write no result file): throws CLI::ValidationError.
void CheckSolveArguments(int argc, const char* const* argv);

// Checks what the parse cannot (export names, the points): throws CLI::ValidationError.
void CheckSolveRequest(const TSolveRequest& request, const CLI::App& app);

// Runs it: the summary (and the elasticities) on standard output, or on standard error where
// an export takes standard output; a refused card or input, or a failed solution, as one
// message on standard error. Returns the exit status.
int RunSolveCommand(const TSolveRequest& request, char decimal_separator);

// vellmor-cli model: the card chosen (the built-in one without options) as YAML on standard
// output. Returns the exit status.
int RunModelCommand(const TModelChoice& choice);

}  // namespace vellmor::cli
