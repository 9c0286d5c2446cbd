#pragma once

#include <QString>
#include <optional>
#include <string_view>
#include <variant>
#include <vector>

#include "gui/profile_curves.h"
#include "gui/profile_plots.h"

namespace vellmor::gui {

// What a file the viewer is given holds, judged by its first bytes: a JSON document (of
// vellmor-cli fit, or a run's or solve's export: see IsProfileDocument), measured data (CSV
// with x_cm and quantity in its header), a profile export (CSV of x_cm, v_m_min, …), or none
// of these (a result file, as the viewer always took). The first few kilobytes are enough.
enum class OverlayKind { kNone, kMeasured, kJson, kProfileCsv };
OverlayKind OverlayKindOf(std::string_view bytes);

// One case of such a file: its measurements, and for a fit its profile with the fitted card.
struct TOverlaySet {
  QString Name;  // "line.csv: slow", "fit.json: slow (fitted)"
  std::optional<TProfileCurves> Curves;
  std::vector<TMeasuredPoint> Points;
};

// The sets of the file's bytes: measured data give one set per case, points only; a fit's
// JSON gives its measured points and each case solved again (its inputs, the fitted card, the
// converged model at 1001 points). The message that refuses the file otherwise, naming it.
std::variant<std::vector<TOverlaySet>, QString> ReadOverlay(std::string_view bytes,
                                                            const QString& file_name,
                                                            OverlayKind kind);

}  // namespace vellmor::gui
