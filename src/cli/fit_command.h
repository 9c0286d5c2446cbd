#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "cli/model_options.h"
#include "core/exports/json_parts.h"
#include "core/inputs/input_texts.h"

namespace CLI {
class App;
class Option;
}  // namespace CLI

namespace vellmor::cli {

// The command word of the fit: "vellmor-cli fit --measured FILE.csv --fit KEY …".
inline constexpr std::string_view kFitCommand = "fit";

struct TFitRequest {
  TInputTexts Texts;  // the window's defaults, with the input options given
  TProgram Program;   // recorded in the JSON
  TModelChoice Model;
  std::string MeasuredFile;
  std::vector<std::string> Fits;  // KEY, KEY=START or KEY=START:LO:HI
  std::string CasesFile;
  std::string JsonFile;        // "-" for standard output
  std::string WriteModelFile;  // the fitted card
  std::string CandidatesFile;
  int Suggest = 0;
  int MaxIterations = 100;
  bool NoProfile = false;
};

// Adds the options of fit to its subcommand app.
void AddFitOptions(CLI::App& app, TFitRequest& request);

// Checks what the parse cannot (empty names, --suggest with its candidates): throws
// CLI::ValidationError.
void CheckFitRequest(const TFitRequest& request, const CLI::App& app);

// Runs it: the estimates, their intervals and what the fit found on standard output (standard
// error where the JSON takes standard output). Returns the exit status: 0 fitted, 1 the data,
// cases, card or a constant refused, 2 the fit failed (did not converge: its last iterate is
// still reported), 73 an export could not be written, 74 the summary could not be printed.
int RunFitCommand(const TFitRequest& request, char decimal_separator);

}  // namespace vellmor::cli
