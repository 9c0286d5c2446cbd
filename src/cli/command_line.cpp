#include "cli/command_line.h"
#include "cli/export_options.h"

#include "cli/exit_status.h"
#include "core/inputs/input_fields.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <array>
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

// Whether argument is an option of the runner rather than a value: a long option, or one of
// the short ones. A negative number ("-32.5") is a value.
bool IsOption(std::string_view argument) {
  return argument.starts_with("--") || argument == "-o" || argument == "-v" || argument == "-h";
}

// An input option directly followed by another option has lost its value; CLI11 would take
// the next option as the text. Returns the message for the first such option, or "".
std::string MissingValue(int argc, const char* const* argv) {
  for (int i = 1; i < argc; ++i) {
    const std::string_view argument = argv[i];
    if (argument == "--") break;
    const bool takes_value = argument == "-o" || (argument.starts_with("--") &&
                                                  FindInputField(argument.substr(2)) != nullptr);
    if (!takes_value) continue;
    if (i + 1 == argc) return std::string(argument) + " needs a value";
    if (IsOption(argv[i + 1])) {
      return std::string(argument) + " needs a value, but is followed by " + argv[i + 1];
    }
    ++i;  // the value, whatever it looks like
  }
  return {};
}

// The arguments after the program name, in the reversed order CLI11 consumes them. An empty
// value attached with "=" ("--hole-diameter=") would make CLI11 take the next argument as
// the value instead, so it is passed as a separate empty argument; a separate value, even one
// that starts with "-" ("--zone1-a2 -32.5"), is always taken as it stands.
std::vector<std::string> ReversedArguments(int argc, const char* const* argv) {
  std::vector<std::string> arguments;
  for (int i = argc - 1; i >= 1; --i) {
    const std::string_view argument = argv[i];
    const bool empty_value =
        std::any_of(kInputFields.begin(), kInputFields.end(), [argument](const TInputField& field) {
          return argument == "--" + std::string(field.Name) + "=";
        });
    if (empty_value) {
      arguments.emplace_back();
      arguments.emplace_back(argument.substr(0, argument.size() - 1));
    } else {
      arguments.emplace_back(argument);
    }
  }
  return arguments;
}

}  // namespace

std::variant<TCommandLine, int> ParseCommandLine(int argc, const char* const* argv,
                                                 char decimal_separator) {
  TCommandLine command_line;
  command_line.Texts = DefaultInputTexts(decimal_separator);
  CLI::App app(kDescription, "vellmor-cli");
  app.footer(kFooter);
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
  app.add_flag("--accuracy", command_line.Accuracy,
               "Also solve the case to convergence: the summary tells how far the result is "
               "from it and which increment would be within 1 %; --json gets a converged object");
  AddExportOptions(app, command_line.Exports);
  try {
    if (const std::string missing = MissingValue(argc, argv); !missing.empty()) {
      throw CLI::ArgumentMismatch(missing);
    }
    std::vector<std::string> arguments = ReversedArguments(argc, argv);
    app.parse(arguments);
    CheckExportFiles(command_line.Exports, command_line.Texts.Edit20, app);
  } catch (const CLI::ParseError& error) {
    // CLI11 prints the message and the pointer to --help; --help and --version end well.
    return app.exit(error) == 0 ? kExitSucceeded : kExitUsage;
  }
  return command_line;
}

}  // namespace vellmor::cli
