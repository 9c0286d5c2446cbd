#pragma once

// The readers of the exports of one spinline: the JSON of a run (vellmor-cli --json) or of the
// converged model (solve --json), of every schema so far, and the profile CSVs. Each gives the
// profile in today's columns and units, the process numbers and the fibre's structure as the
// document has them: nothing is computed again but what a CSV, which holds no numbers, lets
// the line itself give.

#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include "vellmor/analysis/process_numbers.h"
#include "vellmor/documents/profile_table.h"
#include "vellmor/documents/varied_inputs.h"
#include "vellmor/structure/structure_summary.h"

namespace vellmor {

struct TProfileDocument {
  int SchemaVersion = 0;   // of a JSON document; 0 for a CSV
  bool Converged = false;  // the converged model's (solve's JSON, a CSV without tenacities)
  TProfileTable Profile;
  TProcessNumbers Numbers;
  std::optional<TStructureSummary> Structure;
  TCaseInputs Inputs;  // a JSON document's inputs; none for a CSV
};

// The document of a run's or solve's JSON, or the message that refuses it, naming the file: a
// document of a run that did not succeed has no profile to show.
std::variant<TProfileDocument, std::string> ReadProfileJson(std::string_view bytes,
                                                            std::string_view file_name);

// The profile of a profile CSV: the classical run's when it has the tenacities, else the
// converged model's. Of the process numbers, those of the line itself (the freeze point, the
// take-up tension, the draw-down, the final diameter …); those that need the output or the
// take-up speed, which a CSV does not hold (the fineness), are not a number. The message that
// refuses it otherwise, naming the file and the line.
std::variant<TProfileDocument, std::string> ReadProfileCsv(std::string_view bytes,
                                                           std::string_view file_name);

}  // namespace vellmor
