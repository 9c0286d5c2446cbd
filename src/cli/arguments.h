#pragma once

#include <cstddef>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/inputs/input_texts.h"

namespace CLI {
class App;
}

namespace vellmor::cli {

// The command word of a sweep: "vellmor-cli sweep …".
inline constexpr std::string_view kSweepCommand = "sweep";

// Whether argument is an option of the runner rather than a value: a long option, or one of
// the short ones. A negative number ("-32.5") is a value.
bool IsOption(std::string_view argument);

// An option that takes a value (an input field, -o, or one of the sweep's and the exports'
// file options) directly followed by another option has lost its value; CLI11 would take the
// next option as the text. The message for the first such option, or "".
std::string MissingValue(int argc, const char* const* argv);

// The arguments after the program name in the reversed order CLI11 consumes them, for the
// single run and the sweep alike. An empty value attached with "=" ("--hole-diameter=") would
// make CLI11 take the next argument as the value instead, so it is passed as a separate empty
// argument; a separate value, even one that starts with "-" ("--zone1-a2 -32.5"), is always
// taken as it stands.
std::vector<std::string> PreparedArguments(int argc, const char* const* argv);

// Whether argument names the result file (-o, --save-file, --save-file=NAME): the sweep names
// each case's itself, and the converged model's commands write none.
bool NamesTheResultFile(std::string_view argument);

// Refuses an option of options given with an empty value ("--json="), which would otherwise
// mean "none": throws CLI::ValidationError "OPTION: why".
void RefuseEmptyValues(const CLI::App& app, std::initializer_list<const char*> options,
                       const std::string& why = "the value is empty");

// Adds the numeric input fields as options bound to texts (the converged model's commands:
// they write no result file).
void AddInputOptions(CLI::App& app, TInputTexts& texts);

// The bytes of a file the runner reads (a cases file, a model card), "-" being standard input;
// nullopt when it cannot be read (missing, a directory, no right). Reading stops after
// limit + 1 bytes: a longer text means the file is too large for what it should be.
std::optional<std::string> ReadWholeFile(const std::string& path,
                                         std::size_t limit = std::string().max_size() - 1);

}  // namespace vellmor::cli
