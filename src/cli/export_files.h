#pragma once

#include <string>
#include <string_view>

#include "cli/export_options.h"
#include "core/base/message_sink.h"
#include "core/converged/accuracy_check.h"
#include "core/exports/json_parts.h"
#include "core/inputs/input_texts.h"
#include "core/run/run_sequence.h"
#include "core/solver/run_state.h"

namespace vellmor::cli {

// Writes one export whole through the one writer of every output ("-" being standard
// output), what naming it in the message ("the JSON export"); reports a failure through sink
// ("Can not write the JSON export file out/run.json: …") and returns false then.
bool WriteExport(const std::string& name, std::string_view what, const std::string& contents,
                 MessageSink& sink);

// Writes the exports the call asks for, describing the run that has just ended: its texts,
// the decimal separator they were read with, its outcome, its one message and, on success,
// the table of the converged profile in state, and the converged solution beside it when one
// was asked for (converged; else nullptr). A refused or failed run gets a JSON document
// without the parts it did not reach, and CSVs of the header record alone, as does the
// converged profile when the converged solution failed. Each is written whole through the one
// writer of every output, "-" being standard output. Each export that cannot be written is
// reported through sink; returns false when any could not.
bool WriteExports(const TExportRequest& request, const TInputTexts& texts, char decimal_separator,
                  const TRunOutcome& outcome, std::string_view message, TRunState& state,
                  const TAccuracyCheck* converged, MessageSink& sink,
                  const TProgram* program = nullptr);

}  // namespace vellmor::cli
