#include "cli/arguments.h"

#include <CLI/CLI.hpp>
#include <algorithm>

#include <array>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <system_error>

#include "core/inputs/input_fields.h"

namespace vellmor::cli {
namespace {

// The options other than the input fields that take a value.
constexpr std::array<std::string_view, 22> kValueOptions{"-o",
                                                         "--json",
                                                         "--csv",
                                                         "--converged-csv",
                                                         "--vary",
                                                         "--cases",
                                                         "--summary",
                                                         "--result-dir",
                                                         "-j",
                                                         "--jobs",
                                                         "--shard",
                                                         "--model",
                                                         "--model-set",
                                                         "--points",
                                                         "--at",
                                                         "--measured",
                                                         "--fit",
                                                         "--write-model",
                                                         "--suggest",
                                                         "--candidates",
                                                         "--max-iterations"};

bool TakesValue(std::string_view argument) {
  for (const std::string_view option : kValueOptions) {
    if (argument == option) return true;
  }
  return argument.starts_with("--") && FindInputField(argument.substr(2)) != nullptr;
}

// "--field=" with nothing after the "=".
bool IsEmptyAttachedValue(std::string_view argument) {
  if (!argument.starts_with("--") || !argument.ends_with("=")) return false;
  const std::string_view name = argument.substr(2, argument.size() - 3);
  if (FindInputField(name) != nullptr) return true;
  for (const std::string_view option : kValueOptions) {
    if (option.substr(2) == name && option.starts_with("--")) return true;
  }
  return false;
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

namespace {

// At most limit + 1 bytes of in: one more than allowed tells the caller it is too large
// without reading on (a device such as /dev/zero never ends).
std::optional<std::string> ReadAtMost(std::istream& in, std::size_t limit) {
  std::string text;
  std::array<char, 65536> buffer;
  while (text.size() <= limit && in) {
    const std::size_t wanted = std::min(buffer.size(), limit + 1 - text.size());
    in.read(buffer.data(), static_cast<std::streamsize>(wanted));
    text.append(buffer.data(), static_cast<std::size_t>(in.gcount()));
  }
  if (in.bad()) return std::nullopt;
  return text;
}

}  // namespace

bool NamesTheResultFile(std::string_view argument) {
  return argument == "-o" || argument == "--save-file" || argument.starts_with("--save-file=");
}

void RefuseEmptyValues(const CLI::App& app, std::initializer_list<const char*> options,
                       const std::string& why) {
  for (const char* option : options) {
    const CLI::Option* given = app.get_option(option);
    if (given->count() > 0 && given->results().size() == 1 && given->results().front().empty()) {
      throw CLI::ValidationError(option, why);
    }
  }
}

void AddInputOptions(CLI::App& app, TInputTexts& texts) {
  for (const TInputField& field : kInputFields) {
    if (!field.Numeric) continue;
    app.add_option("--" + std::string(field.Name), texts.*field.Text,
                   std::string(field.Description))
        ->capture_default_str();
  }
}

std::optional<std::string> ReadWholeFile(const std::string& path, std::size_t limit) {
  if (path == "-") return ReadAtMost(std::cin, limit);
  std::error_code error;
  if (std::filesystem::is_directory(path, error)) return std::nullopt;
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  try {
    return ReadAtMost(in, limit);
  } catch (const std::ios_base::failure&) {
    return std::nullopt;
  }
}

}  // namespace vellmor::cli
