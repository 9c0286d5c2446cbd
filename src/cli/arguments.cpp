#include "cli/arguments.h"

#include <algorithm>
#include <array>
#include <iostream>

#include "cli/request_options.h"
#include "vellmor/inputs/input_fields.h"
#include "vellmor/requests/parameters.h"

namespace vellmor::cli {
namespace {

// The long name of an option that takes a value: an input field's or a parameter's.
bool TakesValue(std::string_view argument) {
  if (argument == "-o" || argument == "-j") return true;
  if (!argument.starts_with("--")) return false;
  const std::string_view name = argument.substr(2);
  if (FindInputField(name) != nullptr) return true;
  for (const TParameter& parameter : Parameters()) {
    if (parameter.TakesValue() && !parameter.Positional &&
        OptionSpelling(parameter.Key) == argument) {
      return true;
    }
  }
  return false;
}

// "--field=" with nothing after the "=".
bool IsEmptyAttachedValue(std::string_view argument) {
  return argument.starts_with("--") && argument.ends_with("=") &&
         TakesValue(argument.substr(0, argument.size() - 1));
}

}  // namespace

bool IsOption(std::string_view argument) {
  return argument.starts_with("--") || argument == "-o" || argument == "-v" || argument == "-h" ||
         argument == "-j" || argument == "-q";
}

std::string MissingValue(int argc, const char* const* argv) {
  for (int i = 1; i < argc; ++i) {
    const std::string_view argument = argv[i];
    if (argument == "--") break;
    if (!TakesValue(argument)) continue;
    if (i + 1 == argc) return std::string(argument) + " needs a value";
    if (IsOption(argv[i + 1])) {
      return std::string(argument) + " needs a value, but is followed by " + argv[i + 1];
    }
    ++i;  // the value, whatever it looks like
  }
  return {};
}

std::vector<std::string> PreparedArguments(int argc, const char* const* argv) {
  std::vector<std::string> arguments;
  for (int i = argc - 1; i >= 1; --i) {
    const std::string_view argument = argv[i];
    if (IsEmptyAttachedValue(argument)) {
      arguments.emplace_back();
      arguments.emplace_back(argument.substr(0, argument.size() - 1));
    } else {
      arguments.emplace_back(argument);
    }
  }
  return arguments;
}

std::optional<TBoundedText> RunnerReader::Read(const std::string& name, const TTextBounds& bounds) {
  if (name != "-") return FileReader().Read(name, bounds);
  TBoundedText text = ReadBoundedText(std::cin, bounds);
  if (std::cin.bad()) return std::nullopt;
  return text;
}

}  // namespace vellmor::cli
