#pragma once

// The parts that the JSON documents of the classical run and of the converged run share, so
// that a key means the same in both.

#include <nlohmann/json.hpp>

#include <span>
#include <string>
#include <vector>

#include "vellmor/analysis/process_numbers.h"
#include "vellmor/converged/converged_solution.h"
#include "vellmor/inputs/input_texts.h"

namespace vellmor {

// The program that wrote a document, so that a document found later says where it came
// from: "vellmor-cli", its version, and the command line it was called with.
struct TProgram {
  std::string Name;
  std::string Version;
  std::vector<std::string> CommandLine;
};

}  // namespace vellmor

namespace vellmor::json_parts {

// A document as the exports write it: indented by two blanks, ending with a line break, bytes
// that are not UTF-8 replaced.
std::string DocumentText(const nlohmann::ordered_json& document);

// {"name": …, "version": …, "command_line": [argument, …]}, after schema_version.
nlohmann::ordered_json Program(const TProgram& program);

// Which input fields a document lists: every one, or the numeric ones alone (the converged
// model writes no result file, and its name would say it did).
enum class InputFields { kAll, kNumeric };

// Each input field under its script name: the text as typed and the number it converts to.
nlohmann::ordered_json Inputs(const TInputTexts& texts, char decimal_separator,
                              InputFields fields = InputFields::kAll);

// The process numbers under their keys, null where there is none; passes as a count.
nlohmann::ordered_json ProcessNumbers(const TProcessNumbers& numbers);

// A converged profile as arrays of the exported columns.
nlohmann::ordered_json ConvergedProfile(std::span<const TConvergedSample> samples,
                                        bool with_structure = false);

}  // namespace vellmor::json_parts
