#pragma once

#include <QColor>
#include <QFont>
#include <QRectF>
#include <QString>
#include <QStringList>
#include <vector>

class QPainter;

namespace vellmor::gui {

// A table drawn into a figure as text and rules (no widget, no image): its row labels on the
// left, a column per case under a head in the case's colour, the numbers aligned right. Wider
// than the figure, its columns continue in another block under the first, the row labels
// repeated.
struct TFigureTable {
  QString Title;   // above it; may be empty
  QString Corner;  // the head of the labels' column
  QStringList Heads;
  std::vector<QColor> HeadColours;  // one per head, or none (black)
  QStringList RowLabels;
  std::vector<QStringList> Cells;  // per row, one per head

  bool Empty() const { return Heads.isEmpty() || RowLabels.isEmpty(); }
};

// The height the table takes in width; 0 when empty.
qreal TableHeight(const TFigureTable& table, const QFont& font, qreal width);

// Draws the table into rect (as tall as TableHeight).
void PaintTable(QPainter& painter, const TFigureTable& table, const QFont& font,
                const QRectF& rect);

}  // namespace vellmor::gui
