#pragma once

#include <QString>
#include <QTableWidget>
#include <vector>

#include "core/analysis/process_numbers.h"

namespace vellmor::gui {

// One file's column of the table.
struct TNumbersColumn {
  QString Name;     // the file's name, the column's head
  QString ToolTip;  // its whole path
  TProcessNumbers Numbers;
};

// The process numbers of every plotted file side by side: one row per number, one column per
// file, in the user's decimal separator. A number a file does not have (no freeze point) is a
// dash. Further rows (a comparison with another solution, say) are one entry of its list.
class ProcessNumbersTable : public QTableWidget {
  Q_OBJECT

 public:
  explicit ProcessNumbersTable(QWidget* parent = nullptr);

  void SetColumns(const std::vector<TNumbersColumn>& columns);

  // The number a cell shows, as text: for tests and for copying.
  QString CellText(int row, int column) const;
};

}  // namespace vellmor::gui
