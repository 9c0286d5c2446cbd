#include "gui/figure_table.h"

#include <QFontMetricsF>
#include <QPainter>
#include <algorithm>

namespace vellmor::gui {
namespace {

constexpr qreal kPad = 0.4;  // each side of a cell, in em
constexpr qreal kRow = 1.35;

struct TTableLayout {
  qreal LabelWidth = 0.0;
  std::vector<qreal> Widths;                            // of every data column
  std::vector<std::pair<qsizetype, qsizetype>> Blocks;  // columns [first, last)
};

TTableLayout LayoutOf(const TFigureTable& table, const QFont& font, qreal width) {
  const QFontMetricsF metrics(font);
  const qreal pad = 2 * kPad * metrics.height();
  TTableLayout layout;
  layout.LabelWidth = metrics.horizontalAdvance(table.Corner) + pad;
  for (const QString& label : table.RowLabels) {
    layout.LabelWidth = std::max(layout.LabelWidth, metrics.horizontalAdvance(label) + pad);
  }
  QFont bold = font;
  bold.setBold(true);
  const QFontMetricsF bold_metrics(bold);
  for (qsizetype c = 0; c < table.Heads.size(); ++c) {
    qreal w = bold_metrics.horizontalAdvance(table.Heads[c]) + pad;
    for (const QStringList& row : table.Cells) {
      if (c < row.size()) w = std::max(w, metrics.horizontalAdvance(row[c]) + pad);
    }
    layout.Widths.push_back(w);
  }
  qsizetype first = 0;
  qreal used = layout.LabelWidth;
  for (qsizetype c = 0; c < table.Heads.size(); ++c) {
    if (c > first && used + layout.Widths[c] > width) {
      layout.Blocks.push_back({first, c});
      first = c;
      used = layout.LabelWidth;
    }
    used += layout.Widths[c];
  }
  if (first < table.Heads.size()) layout.Blocks.push_back({first, table.Heads.size()});
  return layout;
}

qreal BlockHeight(const TFigureTable& table, qreal em) {
  return (table.RowLabels.size() + 1) * kRow * em + 0.6 * em;
}

qreal TitleHeight(const TFigureTable& table, qreal em) {
  return table.Title.isEmpty() ? 0.0 : kRow * em;
}

}  // namespace

qreal TableHeight(const TFigureTable& table, const QFont& font, qreal width) {
  if (table.Empty()) return 0.0;
  const qreal em = QFontMetricsF(font).height();
  const TTableLayout layout = LayoutOf(table, font, width);
  return TitleHeight(table, em) + static_cast<qreal>(layout.Blocks.size()) * BlockHeight(table, em);
}

void PaintTable(QPainter& painter, const TFigureTable& table, const QFont& font,
                const QRectF& rect) {
  if (table.Empty()) return;
  painter.save();
  const qreal em = QFontMetricsF(font).height();
  const qreal row = kRow * em;
  const qreal pad = kPad * em;
  const TTableLayout layout = LayoutOf(table, font, rect.width());
  QFont bold = font;
  bold.setBold(true);
  qreal y = rect.top();
  if (!table.Title.isEmpty()) {
    painter.setFont(bold);
    painter.setPen(Qt::black);
    painter.drawText(QRectF(rect.left(), y, rect.width(), row), Qt::AlignLeft | Qt::AlignVCenter,
                     table.Title);
    y += row;
  }
  const QPen rule(Qt::black, 0.05 * em);
  const QPen thin(QColor(0xb0, 0xb0, 0xb0), 0.04 * em);
  for (const auto& [first, last] : layout.Blocks) {
    qreal block_width = layout.LabelWidth;
    for (qsizetype c = first; c < last; ++c) block_width += layout.Widths[c];
    // A booktabs table: a rule above and below the heads and under the last row.
    painter.setPen(rule);
    painter.drawLine(QPointF(rect.left(), y), QPointF(rect.left() + block_width, y));
    painter.setFont(bold);
    painter.setPen(Qt::black);
    painter.drawText(QRectF(rect.left() + pad, y, layout.LabelWidth - pad, row),
                     Qt::AlignLeft | Qt::AlignVCenter, table.Corner);
    qreal x = rect.left() + layout.LabelWidth;
    for (qsizetype c = first; c < last; ++c) {
      painter.setPen(c < static_cast<qsizetype>(table.HeadColours.size())
                         ? table.HeadColours[static_cast<std::size_t>(c)]
                         : QColor(Qt::black));
      painter.drawText(QRectF(x, y, layout.Widths[c] - pad, row), Qt::AlignRight | Qt::AlignVCenter,
                       table.Heads[c]);
      x += layout.Widths[c];
    }
    y += row;
    painter.setPen(rule);
    painter.drawLine(QPointF(rect.left(), y), QPointF(rect.left() + block_width, y));
    painter.setFont(font);
    for (qsizetype r = 0; r < table.RowLabels.size(); ++r) {
      painter.setPen(Qt::black);
      painter.drawText(QRectF(rect.left() + pad, y, layout.LabelWidth - pad, row),
                       Qt::AlignLeft | Qt::AlignVCenter, table.RowLabels[r]);
      x = rect.left() + layout.LabelWidth;
      const QStringList& cells = table.Cells[static_cast<std::size_t>(r)];
      for (qsizetype c = first; c < last; ++c) {
        if (c < cells.size()) {
          painter.drawText(QRectF(x, y, layout.Widths[c] - pad, row),
                           Qt::AlignRight | Qt::AlignVCenter, cells[c]);
        }
        x += layout.Widths[c];
      }
      y += row;
      if (r + 1 < table.RowLabels.size()) {
        painter.setPen(thin);
        painter.drawLine(QPointF(rect.left(), y), QPointF(rect.left() + block_width, y));
      }
    }
    painter.setPen(rule);
    painter.drawLine(QPointF(rect.left(), y), QPointF(rect.left() + block_width, y));
    y += 0.6 * em;
  }
  painter.restore();
}

}  // namespace vellmor::gui
