#pragma once

#include <QString>
#include <QTableWidget>
#include <array>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "gui/figure_table.h"
#include "vellmor/analysis/process_numbers.h"
#include "vellmor/converged/accuracy_report.h"
#include "vellmor/structure/structure_summary.h"

namespace vellmor::gui {

// One file's column of the table.
struct TNumbersColumn {
  QString Name;     // the file's name, the column's head
  QString ToolTip;  // its whole path
  TProcessNumbers Numbers;
  // The fibre's structure at the take-up end, where the file carries it.
  std::optional<TStructureSummary> Structure;
  // The comparison with the converged solution of the file's conditions, or why there is none;
  // neither for a file that has nothing to compare (an export of the converged model).
  std::optional<TAccuracyReport> Accuracy;
  QString AccuracyFailure;
  // The inputs and card constants that move the converged freeze point most: name and
  // elasticity d ln(freeze point) / d ln p, largest first; empty where there is none.
  std::array<std::optional<std::pair<QString, double>>, 3> FreezeKnobs;
};

// The process numbers of every plotted file side by side: one row per number, one column per
// file, in the user's decimal separator, then the fibre's birefringence, orientation,
// crystallinity and onset of crystallization, then the converged solution's spinneret
// tension, the file's error against it and the converged freeze point, then the three inputs
// or card constants that move that freeze point most. A number a file does not have (no
// freeze point, no structure) is a dash; where the converged solution failed, its rows say
// so, the reason in the cells' tool tip.
// The rows' labels, and the texts of one column's cells in the user's separator: what the
// window's table and a figure's table show alike.
QStringList NumbersRowLabels();
QStringList NumbersColumnTexts(const TNumbersColumn& column, char separator);

// The table as a figure draws it, heads the names given in their colours; the rows where no
// column has a number (no structure, no comparison) left out, and the elasticities' rows.
TFigureTable NumbersFigureTable(const std::vector<TNumbersColumn>& columns,
                                const QStringList& heads, const std::vector<QColor>& colours);

// The numbers as CSV, one line per column with its name and label: file, label, then the
// process numbers', the structure's and the comparison's keys; a number it does not have is
// an empty cell.
std::string NumbersCsv(const std::vector<TNumbersColumn>& columns, const QStringList& labels);

class ProcessNumbersTable : public QTableWidget {
  Q_OBJECT

 public:
  explicit ProcessNumbersTable(QWidget* parent = nullptr);

  void SetColumns(const std::vector<TNumbersColumn>& columns);

  // The number a cell shows, as text: for tests and for copying.
  QString CellText(int row, int column) const;
};

}  // namespace vellmor::gui
