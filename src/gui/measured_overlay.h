#pragma once

#include <QString>
#include <optional>
#include <string_view>
#include <variant>
#include <vector>

#include "gui/profile_curves.h"
#include "gui/profile_plots.h"
#include "vellmor/documents/document_kind.h"
#include "vellmor/documents/fit_document.h"

namespace vellmor::gui {

// One case of measured data or of a fit, as the viewer draws it: its measurements, and for a
// fit its profile solved again with the fitted card.
struct TOverlaySet {
  QString Name;  // "line.csv: slow", "fit.json: slow (fitted)"
  std::optional<TProfileCurves> Curves;
  std::vector<TMeasuredPoint> Points;
  TCaseInputs Inputs;  // a fit's case's
};

// The sets of a file of measured data (kMeasuredCsv: one set per case, points only) or of a
// fit's JSON (kFitJson: its measured points and each case solved again by the core). The
// message that refuses the file otherwise, naming it; a fitted card that leaves out constants
// is read with the built-in ones, and its warning is added to warnings; a fit's constants are
// added to constants.
std::variant<std::vector<TOverlaySet>, QString> ReadOverlay(
    std::string_view bytes, const QString& file_name, DocumentKind kind,
    std::vector<std::string>& warnings, std::vector<TFittedConstant>& constants);

}  // namespace vellmor::gui
