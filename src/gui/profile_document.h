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

// Whether a CSV's header is that of a profile export (vellmor-cli --csv, --converged-csv,
// solve --csv): x_cm, v_m_min, f_dyn, t_C and the diameter first.
bool IsProfileCsv(std::string_view head);

// The profile of such a CSV: the classical run's when it has the tenacities, else the
// converged model's. A CSV holds no conditions: of the process numbers, those of the line
// itself (the freeze point, the take-up tension, the draw-down, the final diameter …), the
// others (the fineness) none. The message that refuses it otherwise, naming the file and line.
std::variant<TProfileDocument, QString> ReadProfileCsv(std::string_view bytes,
                                                       const QString& file_name);

// The document of the file's bytes, or the message that refuses it, naming the file: a
// document of a run that did not succeed has no profile to draw.
std::variant<TProfileDocument, QString> ReadProfileDocument(std::string_view bytes,
                                                            const QString& file_name);

}  // namespace vellmor::gui
