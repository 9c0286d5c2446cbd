#pragma once

// The parameters of the commands, each once under its one key, from which every front end
// makes its own: the runner's options ("--max-iterations"), Python's keywords
// ("max_iterations") and the help, manual page, completion and documents of both. The input
// fields of the window are parameters too; they have their own table (input_fields.h).

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace vellmor {

enum class ParameterKind {
  kFlag,        // off unless given: the runner's --KEY
  kSwitch,      // on unless turned off: the runner's --no-KEY
  kCount,       // a whole number from Min to Max
  kText,        // one text
  kTexts,       // texts, one per use (the runner's option repeated)
  kNumbers,     // numbers; the runner's one text "1,2.5,3" (';' under a decimal comma)
  kInputFile,   // a file to read ("-": standard input where the front end has one), or a text
  kInputFiles,  // several such files
  kOutputFile,  // a file to write ("-": standard output where the front end has one)
  kDirectory,   // a directory to write files into
};

struct TParameter {
  std::string_view Key;  // "max_iterations"
  ParameterKind Kind;
  std::string_view TypeName;  // what the runner's help shows for its value: "N", "FILE"
  std::string_view Help;      // one sentence, front-end neutral
  std::string_view Default;   // as the help shows it; empty for none
  std::int64_t Min = 0;       // kCount
  std::int64_t Max = 0;
  char Short = 0;           // the runner's one-letter name, if it has one
  bool Positional = false;  // the runner takes it without an option name
  bool RunnerOnly = false;  // a job script of the runner's own: not for Python
  // An output: what the messages call it ("the JSON export").
  std::string_view What = {};

  bool IsOutput() const { return Kind == ParameterKind::kOutputFile; }
  bool TakesValue() const { return Kind != ParameterKind::kFlag && Kind != ParameterKind::kSwitch; }
  bool Repeatable() const {
    return Kind == ParameterKind::kTexts || Kind == ParameterKind::kInputFiles;
  }
};

// The kind's name as the documents and Python give it: "flag", "switch", "count", "text",
// "texts", "numbers", "input_file", "input_files", "output_file", "directory".
std::string_view KindName(ParameterKind kind);

// Every parameter of every command.
std::span<const TParameter> Parameters();

// The parameter of that key, or nullptr.
const TParameter* FindParameter(std::string_view key);

}  // namespace vellmor
