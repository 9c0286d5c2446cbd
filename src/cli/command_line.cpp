#include "cli/command_line.h"
#include "cli/export_options.h"

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
    "Exit status: 0 when the result file is written, 1 when the inputs or the result file\n"
    "were refused (an existing file of that name is left as it was), 2 when the calculation\n"
    "or the writing failed.\n";

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

std::variant<TCommandLine, int> ParseCommandLine(int argc, const char* const* argv) {
  TCommandLine command_line;
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
  AddExportOptions(app, command_line.Exports);
  try {
    std::vector<std::string> arguments = ReversedArguments(argc, argv);
    app.parse(arguments);
    CheckExportFiles(command_line.Exports, command_line.Texts.Edit20);
  } catch (const CLI::ParseError& error) {
    return app.exit(error);
  }
  return command_line;
}

}  // namespace vellmor::cli
