#pragma once

#include <nlohmann/json.hpp>

#include <span>
#include <string>
#include <string_view>

#include "vellmor/converged/accuracy_check.h"
#include "vellmor/exports/json_parts.h"
#include "vellmor/inputs/input_texts.h"
#include "vellmor/report/write_results.h"
#include "vellmor/run/run_sequence.h"

namespace vellmor {

// The version of the JSON documents' layout (schema_version); raised when a key changes its
// meaning or goes. 2: one unit per quantity, diameters in µm (d_um, final_diameter_um), the
// tenacities in gf/den. 3: every name in snake_case, the inputs' keys and the elasticities'
// parameters too (take_up_speed, not take-up-speed).
inline constexpr int kSchemaVersion = 3;

// Everything the JSON document of one run records.
struct TRunRecord {
  const TInputTexts& Texts;  // as typed
  char DecimalSeparator;     // the texts were converted with
  const TRunOutcome& Outcome;
  std::string_view Message;          // the run's one message; empty when it succeeded
  std::span<const TResultRow> Rows;  // the table of a successful run; empty otherwise
  // The converged solution beside a successful run, when it was asked for; else nullptr.
  const TAccuracyCheck* Converged = nullptr;
  const TProgram* Program = nullptr;  // who wrote the document; none: no program key
};

// One run as a JSON document: the inputs (text and value of each field under its script
// name), status and message, summary, process numbers, the passes of the tension search and
// the profile as arrays of the table's columns, and the converged solution beside it (or why it
// failed) when the record has one. What a run did not reach is null. Doubles keep
// every bit: nlohmann::json writes the shortest text that reads back to the same double.
// docs/json-export.md describes the keys.
nlohmann::ordered_json RunJson(const TRunRecord& run);

// The document as the exports write it: indented by two blanks, ending with a line break. A
// text that is not UTF-8 (a file name in another encoding, say) has its stray bytes replaced by
// U+FFFD rather than failing the export.
std::string RunJsonText(const TRunRecord& run);

}  // namespace vellmor
