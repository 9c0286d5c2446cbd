#pragma once

#include <ostream>
#include <string>
#include <string_view>

#include "cli/export_options.h"
#include "core/converged/accuracy_check.h"
#include "core/inputs/input_texts.h"
#include "core/run/message_sink.h"
#include "core/run/run_sequence.h"
#include "core/solver/run_state.h"

namespace vellmor::cli {

// Writes contents to the file name, or to standard_output for "-". A file is written through
// a temporary file in its directory renamed into place, so that a reader finds either the file
// as it was or the whole new one, never a part; an existing file keeps its permissions, a new
// one gets those the umask allows, and a link is followed. A file nobody may write is left as
// it is; a device or a pipe is written into. Returns the description of the failure, or an
// empty text.
std::string WriteWholeFile(const std::string& name, std::string_view contents,
                           std::ostream& standard_output);

// Writes the exports the call asks for, describing the run that has just ended: its texts,
// the decimal separator they were read with, its outcome, its one message and, on success,
// the table of the converged profile in state, and the converged solution beside it when one
// was asked for (converged; else nullptr). A refused or failed run gets a JSON document
// without the parts it did not reach, and CSVs of the header record alone, as does the
// converged profile when the converged solution failed. Each export that cannot be written is
// reported through sink; returns false when any could not.
bool WriteExports(const TExportRequest& request, const TInputTexts& texts, char decimal_separator,
                  const TRunOutcome& outcome, std::string_view message, TRunState& state,
                  const TAccuracyCheck* converged, MessageSink& sink,
                  std::ostream& standard_output);

}  // namespace vellmor::cli
