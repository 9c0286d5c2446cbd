#pragma once

#include <QString>
#include <optional>
#include <string_view>
#include <variant>

#include "core/analysis/process_numbers.h"
#include "core/structure/structure_summary.h"
#include "gui/profile_curves.h"

namespace vellmor::gui {

// A spinline as the runner's JSON export (`vellmor-cli --json`) or the converged model's
// (`vellmor-cli solve --json`) holds it: its profile, process numbers and, where it was solved
// with the fibre's structure, that structure. The numbers are the document's own, as it
// was written; nothing is computed again.
struct TProfileDocument {
  bool Converged = false;  // the converged model's document (it carries its card)
  TProfileCurves Curves;
  TProcessNumbers Numbers;
  std::optional<TStructureSummary> Structure;
};

// Whether a JSON document is one of those two exports (it has a profile), rather than the
// fit's or anything else.
bool IsProfileDocument(std::string_view bytes);

// The document of the file's bytes, or the message that refuses it, naming the file: a
// document of a run that did not succeed has no profile to draw.
std::variant<TProfileDocument, QString> ReadProfileDocument(std::string_view bytes,
                                                            const QString& file_name);

}  // namespace vellmor::gui
