#include "cli/command_line.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace vellmor::cli {
namespace {

// One input field of the window as an option. The value is handed on as typed, so the
// runner converts and checks it exactly as a run from the window does.
struct TInputOption {
  const char* name;         // long option, without the leading "--"
  const char* alias;        // short option with its "-", or "" for none
  const char* description;  // what the field is, with the unit it is typed in
  std::string TInputTexts::*text;
};

// In the order of the window's fields; Edit2, Edit4 and Edit17 are fixed in the window but
// may be changed here.
constexpr std::array<TInputOption, 19> kInputOptions{{
    {"hole-diameter", "", "Diameter of the spinneret hole (cm)", &TInputTexts::Edit1},
    {"polymer-output", "", "Polymer output through the hole (g/min)", &TInputTexts::Edit2},
    {"take-up-speed", "", "Speed of the take-up roll (m/min)", &TInputTexts::Edit3},
    {"melt-temperature", "", "Polymer melt temperature at the spinneret (°C)", &TInputTexts::Edit4},
    {"zone1-end", "", "End position of cooling zone 1, from the spinneret (cm)",
     &TInputTexts::Edit5},
    {"zone1-a1", "", "Zone 1 air temperature equation: A1 (°C·cm)", &TInputTexts::Edit6},
    {"zone1-a2", "", "Zone 1 air temperature equation: A2 (cm)", &TInputTexts::Edit7},
    {"zone1-a3", "", "Zone 1 air temperature equation: A3 (°C)", &TInputTexts::Edit8},
    {"zone1-air-velocity", "", "Zone 1 cross-flow air velocity (cm/s)", &TInputTexts::Edit9},
    {"zone2-end", "", "End position of cooling zone 2, from the spinneret (cm)",
     &TInputTexts::Edit10},
    {"zone2-a1", "", "Zone 2 air temperature equation: A1 (°C·cm)", &TInputTexts::Edit11},
    {"zone2-a2", "", "Zone 2 air temperature equation: A2 (cm)", &TInputTexts::Edit12},
    {"zone2-a3", "", "Zone 2 air temperature equation: A3 (°C)", &TInputTexts::Edit13},
    {"zone2-air-velocity", "", "Zone 2 cross-flow air velocity (cm/s)", &TInputTexts::Edit14},
    {"zone3-end", "", "End position of cooling zone 3, the take-up point (cm)",
     &TInputTexts::Edit15},
    {"zone3-air-velocity", "", "Zone 3 cross-flow air velocity (cm/s)", &TInputTexts::Edit16},
    {"iv", "", "Intrinsic viscosity of the PET (dimensionless; above 0.61, below 0.9)",
     &TInputTexts::Edit17},
    {"increment", "", "Integration step along the spinline (cm)", &TInputTexts::Edit19},
    {"save-file", "-o", "Result file, absolute or relative to the current directory",
     &TInputTexts::Edit20},
}};

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
    const bool empty_value = std::any_of(kInputOptions.begin(), kInputOptions.end(),
                                         [argument](const TInputOption& option) {
                                           return argument == "--" + std::string(option.name) + "=";
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
  for (const TInputOption& option : kInputOptions) {
    std::string names = "--" + std::string(option.name);
    if (*option.alias != '\0') names = std::string(option.alias) + "," + names;
    app.add_option(names, command_line.Texts.*option.text, option.description)
        ->capture_default_str();
  }
  app.set_version_flag("--version", std::string("vellmor-cli ") + VELLMOR_VERSION);
  app.add_flag("-v,--verbose", command_line.Verbose,
               "Print every pass of the tension search as it ends");
  try {
    std::vector<std::string> arguments = ReversedArguments(argc, argv);
    app.parse(arguments);
  } catch (const CLI::ParseError& error) {
    return app.exit(error);
  }
  return command_line;
}

}  // namespace vellmor::cli
