#include "cli/command_line.h"

#include "cli/arguments.h"
#include "cli/console_output.h"
#include "cli/documentation.h"
#include "cli/export_options.h"

#include "cli/exit_status.h"
#include "core/inputs/input_fields.h"

#include <CLI/CLI.hpp>

#include <iostream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vellmor::cli {
namespace {

constexpr const char* kDescription =
    "Simulates the melt-spinning spinline of one PET filament and writes the result file.\n"
    "Each value is taken exactly as it would be typed into the window's field: the same\n"
    "conversion (decimal separator of the user's locale) and the same checks apply.\n"
    "Air temperature in zones 1 and 2: Tair = A1 / (Z + A2) + A3 (°C), Z being the distance\n"
    "from the spinneret (cm); zone 3 uses the equation of zone 2.";

constexpr const char* kFooter =
    "Exit status:\n"
    "  0   the result file was written\n"
    "  1   the inputs or the result file were refused; an existing file of that name is left\n"
    "      as it was\n"
    "  2   the calculation or the writing failed: after a calculation failure the file holds\n"
    "      the header; after a failed write it is left as it was\n"
    "  64  the command line is wrong (an unknown option, a missing value, a stray argument, an\n"
    "      empty file name)\n"
    "  73  the run succeeded but an export could not be written\n"
    "  74  the run succeeded but its summary could not be printed\n";

}  // namespace

TParsedCommand ParseCommandLine(int argc, const char* const* argv, char decimal_separator) {
  if (argc > 2 && std::string_view(argv[1]) == kSweepCommand &&
      std::string_view(argv[2]) == "merge") {
    auto merge = ParseMergeCommand(argc, argv);
    if (const int* status = std::get_if<int>(&merge)) return *status;
    return std::get<TMergeRequest>(std::move(merge));
  }
  TCommandLine command_line;
  command_line.Texts = DefaultInputTexts(decimal_separator);
  command_line.Program = {"vellmor-cli", VELLMOR_VERSION,
                          std::vector<std::string>(argv, argv + std::max(argc, 0))};
  CLI::App app(kDescription, "vellmor-cli");
  app.footer(kFooter);
  // As GNU tools do: an option given twice takes its last value (those that gather every
  // value, --vary, --fit and --model-set, say so themselves); the subcommands inherit it.
  app.option_defaults()->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
  app.failure_message([](const CLI::App* failed, const CLI::Error& error) {
    return std::string(kMessagePrefix) + CLI::FailureMessage::simple(failed, error);
  });
  app.get_formatter()->column_width(36);
  for (const TInputField& field : kInputFields) {
    std::string names = "--" + std::string(field.Name);
    // The result file is the one option scripts give most: it has a short name too.
    if (&field == FindInputField("save-file")) names = "-o," + names;
    app.add_option(names, command_line.Texts.*field.Text, std::string(field.Description))
        ->capture_default_str();
  }
  app.set_version_flag("--version", std::string("vellmor-cli ") + VELLMOR_VERSION);
  app.add_flag("-v,--verbose", command_line.Verbose,
               "Print every pass of the tension search as it ends");
  app.add_flag("-q,--quiet", command_line.Quiet,
               "Print no summary; messages, warnings and failures still go to standard error");
  app.add_flag("--accuracy", command_line.Accuracy,
               "Also solve the case to convergence: the summary tells how far the result is "
               "from it and which increment would be within 1 %; --json gets a converged object");
  AddExportOptions(app, command_line.Exports);
  CLI::App* sweep = app.add_subcommand(std::string(kSweepCommand),
                                       "Run many cases on every core, one summary line each "
                                       "(see vellmor-cli sweep --help)");
  TSweepArguments sweep_arguments;
  AddSweepOptions(*sweep, sweep_arguments, decimal_separator);
  if (argc > 2) sweep_arguments.Arguments.assign(argv + 2, argv + argc);
  sweep->get_formatter()->column_width(36);
  TSolveRequest solve_request;
  solve_request.Texts = command_line.Texts;
  solve_request.Program = command_line.Program;
  CLI::App* solve = app.add_subcommand(std::string(kSolveCommand),
                                       "Solve the case with the converged model and a model card "
                                       "(see vellmor-cli solve --help)");
  AddSolveOptions(*solve, solve_request);
  solve->get_formatter()->column_width(36);
  TModelChoice model_choice;
  CLI::App* model = app.add_subcommand(std::string(kModelCommand),
                                       "Print the model card (the built-in one without options) "
                                       "as YAML, a template to edit");
  AddModelOptions(*model, model_choice);
  TFitRequest fit_request;
  fit_request.Texts = command_line.Texts;
  fit_request.Program = command_line.Program;
  CLI::App* fit = app.add_subcommand(std::string(kFitCommand),
                                     "Fit card constants to measured profiles (see vellmor-cli "
                                     "fit --help)");
  AddFitOptions(*fit, fit_request);
  fit->get_formatter()->column_width(36);
  const std::string_view first = argc > 1 ? std::string_view(argv[1]) : std::string_view();
  // What the build generates for the package from these tables, alone on the command line.
  if (argc == 2 && (first == "--man-page" || first == "--bash-completion")) {
    std::cout << (first == "--man-page" ? ManPage(app, VELLMOR_VERSION) : BashCompletion(app));
    std::cout.flush();
    return std::cout ? kExitSucceeded : kExitSummaryLost;
  }
  const bool sweeps = argc > 1 && std::string_view(argv[1]) == kSweepCommand;
  if (sweeps) {
    if (const std::optional<int> refused = RefusedSweepArgument(argc, argv)) return *refused;
  }
  try {
    if (const std::string missing = MissingValue(argc, argv); !missing.empty()) {
      throw CLI::ArgumentMismatch(missing);
    }
    if (first == kSolveCommand || first == kFitCommand) CheckSolveArguments(argc, argv);
    std::vector<std::string> arguments = PreparedArguments(argc, argv);
    app.parse(arguments);
    for (const CLI::App* command : {sweep, solve, model, fit}) {
      if (command->parsed() && first != command->get_name()) {
        throw CLI::ArgumentMismatch(command->get_name() +
                                    ": give it first, and its options after it");
      }
    }
    if (solve->parsed()) CheckSolveRequest(solve_request, *solve);
    if (fit->parsed()) CheckFitRequest(fit_request, *fit);
    if (model->parsed()) RefuseEmptyValues(*model, {"--model"});
    if (!sweep->parsed() && !solve->parsed() && !model->parsed() && !fit->parsed())
      CheckExportFiles(command_line.Exports, command_line.Texts.SaveFileName, app);
  } catch (const CLI::ParseError& error) {
    // CLI11 prints the message and the pointer to --help; --help and --version end well.
    return app.exit(error) == 0 ? kExitSucceeded : kExitUsage;
  }
  if (sweep->parsed()) {
    auto request = SweepRequestOf(std::move(sweep_arguments), decimal_separator);
    if (const int* status = std::get_if<int>(&request)) return *status;
    return std::get<TSweepRequest>(std::move(request));
  }
  if (solve->parsed()) return solve_request;
  if (model->parsed()) return model_choice;
  if (fit->parsed()) return fit_request;
  return command_line;
}

}  // namespace vellmor::cli
