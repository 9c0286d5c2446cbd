#include "gui/figure_legend.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>

#include "gui/axis_ticks.h"
#include "gui/figure_colours.h"

namespace vellmor::gui {
namespace {

// Sizes in the font's height (em), so that the legend scales with its type.
constexpr qreal kSample = 2.4;   // a line's sample
constexpr qreal kGap = 0.4;      // between a sample and its text
constexpr qreal kSpacing = 1.2;  // between entries
constexpr qreal kRow = 1.3;      // a row
constexpr qreal kBarLength = 14.0;
constexpr qreal kBarHeight = 0.8;

qreal Em(const QFont& font) { return QFontMetricsF(font).height(); }

QString EntryText(const TLegendContent& legend, std::size_t entry) {
  return entry < legend.Files.size() ? legend.Files[entry].Name
                                     : LegendLabel(legend.Keys[entry - legend.Files.size()]);
}

// Lays the entries out in rows within width: the top left of each, and the height used. The
// files (or the bar) on their rows, the keys on theirs.
qreal Layout(const TLegendContent& legend, const QFont& font, qreal width,
             std::vector<QPointF>* places) {
  const QFontMetricsF metrics(font);
  const qreal em = Em(font);
  const qreal row = kRow * em;
  qreal y = 0.0;
  std::size_t first = 0;
  const std::size_t files = legend.Bar ? 0 : legend.Files.size();
  if (legend.Bar) {
    // Title, bar, tick labels.
    y += 3.4 * em;
    first = legend.Files.size();
  }
  qreal x = 0.0;
  const std::size_t count = legend.Files.size() + legend.Keys.size();
  bool any = false;
  for (std::size_t i = first; i < count; ++i) {
    const qreal w = (kSample + kGap) * em + metrics.horizontalAdvance(EntryText(legend, i));
    const bool new_row = (x > 0.0 && x + w > width) || (i == files && i > first && any);
    if (new_row) {
      x = 0.0;
      y += row;
    }
    if (places != nullptr) places->push_back({x, y});
    x += w + kSpacing * em;
    any = true;
  }
  return any ? y + row : y;
}

void PaintBar(QPainter& painter, const TColourBar& bar, const QFont& font, const QPointF& at,
              const QColor& text) {
  const qreal em = Em(font);
  const qreal length = kBarLength * em;
  painter.setPen(text);
  painter.drawText(QRectF(at.x(), at.y(), length * 2, em), Qt::AlignLeft | Qt::AlignVCenter,
                   bar.Title);
  // Indented, so that the first tick's label is not cut at the figure's edge.
  const QRectF strip(at.x() + 2.0 * em, at.y() + 1.1 * em, length, kBarHeight * em);
  // Patches rather than a gradient: every reader of SVG and PDF draws them alike.
  constexpr int kPatches = 48;
  painter.setPen(Qt::NoPen);
  for (int p = 0; p < kPatches; ++p) {
    painter.setBrush(RampColour((p + 0.5) / kPatches));
    painter.drawRect(QRectF(strip.left() + strip.width() * p / kPatches, strip.top(),
                            strip.width() / kPatches + 0.05, strip.height()));
  }
  painter.setBrush(Qt::NoBrush);
  painter.setPen(QPen(text, 0.06 * em));
  painter.drawRect(strip);
  const TAxisTicks ticks = NiceTicks(bar.Low, bar.High, 4, false);
  for (int t = 0; t < ticks.Count; ++t) {
    const double value = ticks.First + t * ticks.Step;
    if (value < bar.Low - 1e-9 * std::abs(ticks.Step) ||
        value > bar.High + 1e-9 * std::abs(ticks.Step)) {
      continue;
    }
    const qreal x =
        strip.left() +
        strip.width() * (bar.High > bar.Low ? (value - bar.Low) / (bar.High - bar.Low) : 0.5);
    painter.drawLine(QPointF(x, strip.bottom()), QPointF(x, strip.bottom() + 0.3 * em));
    painter.drawText(QRectF(x - 3 * em, strip.bottom() + 0.3 * em, 6 * em, em), Qt::AlignCenter,
                     QString::number(value, 'f', ticks.Decimals));
  }
}

void PaintKey(QPainter& painter, TLegendKey key, const QPointF& centre, qreal em,
              const QColor& text) {
  const qreal half = kSample * em / 2.0;
  const qreal marker = 0.55 * em;
  QPen pen(text, 0.12 * em);
  pen.setCapStyle(Qt::FlatCap);
  switch (key) {
    case TLegendKey::kClassical:
    case TLegendKey::kConverged:
    case TLegendKey::kAir:
      pen.setStyle(key == TLegendKey::kClassical   ? Qt::SolidLine
                   : key == TLegendKey::kConverged ? Qt::DashLine
                                                   : Qt::DashDotLine);
      painter.setPen(pen);
      painter.drawLine(centre - QPointF(half, 0), centre + QPointF(half, 0));
      break;
    case TLegendKey::kMeasured:
      painter.setPen(pen);
      painter.drawLine(centre + QPointF(0, -0.5 * em), centre + QPointF(0, 0.5 * em));
      painter.setBrush(Qt::white);
      painter.drawRect(QRectF(centre - QPointF(marker / 2, marker / 2), QSizeF(marker, marker)));
      break;
    case TLegendKey::kFreezeClassical:
      painter.setPen(QPen(text, 0.08 * em));
      painter.setBrush(Qt::darkGray);
      painter.drawEllipse(centre, marker * 0.6, marker * 0.6);
      break;
    case TLegendKey::kFreezeConverged: {
      painter.setPen(QPen(text, 0.12 * em));
      painter.setBrush(Qt::white);
      QPainterPath diamond;
      diamond.moveTo(centre + QPointF(0, -marker * 0.75));
      diamond.lineTo(centre + QPointF(marker * 0.75, 0));
      diamond.lineTo(centre + QPointF(0, marker * 0.75));
      diamond.lineTo(centre + QPointF(-marker * 0.75, 0));
      diamond.closeSubpath();
      painter.drawPath(diamond);
      break;
    }
    case TLegendKey::kOnset: {
      painter.setPen(QPen(text, 0.08 * em));
      painter.setBrush(Qt::darkGray);
      QPainterPath triangle;
      triangle.moveTo(centre + QPointF(0, -marker * 0.8));
      triangle.lineTo(centre + QPointF(marker * 0.8, marker * 0.6));
      triangle.lineTo(centre + QPointF(-marker * 0.8, marker * 0.6));
      triangle.closeSubpath();
      painter.drawPath(triangle);
      break;
    }
    case TLegendKey::kBand:
      painter.setPen(Qt::NoPen);
      painter.setBrush(QColor(0, 0, 0, 56));
      painter.drawRect(QRectF(centre - QPointF(half, 0.35 * em), QSizeF(2 * half, 0.7 * em)));
      break;
  }
  painter.setBrush(Qt::NoBrush);
}

}  // namespace

QString LegendLabel(TLegendKey key) {
  switch (key) {
    case TLegendKey::kClassical:
      return QStringLiteral("result file (classical)");
    case TLegendKey::kConverged:
      return QStringLiteral("converged model");
    case TLegendKey::kAir:
      return QStringLiteral("cooling air");
    case TLegendKey::kMeasured:
      return QStringLiteral("measured ± σ");
    case TLegendKey::kFreezeClassical:
      return QStringLiteral("freeze point, classical");
    case TLegendKey::kFreezeConverged:
      return QStringLiteral("freeze point, converged");
    case TLegendKey::kOnset:
      return QStringLiteral("onset of crystallization");
    case TLegendKey::kBand:
      return QStringLiteral("95 % interval");
  }
  return {};
}

qreal LegendHeight(const TLegendContent& legend, const QFont& font, qreal width) {
  if (legend.Empty()) return 0.0;
  return Layout(legend, font, width, nullptr) + 0.3 * Em(font);
}

void PaintLegend(QPainter& painter, const TLegendContent& legend, const QFont& font,
                 const QRectF& rect, const QColor& text) {
  if (legend.Empty()) return;
  painter.save();
  painter.setFont(font);
  painter.setRenderHint(QPainter::Antialiasing);
  std::vector<QPointF> places;
  Layout(legend, font, rect.width(), &places);
  const qreal em = Em(font);
  const qreal row = kRow * em;
  if (legend.Bar) PaintBar(painter, *legend.Bar, font, rect.topLeft(), text);
  const std::size_t first = legend.Bar ? legend.Files.size() : 0;
  for (std::size_t p = 0; p < places.size(); ++p) {
    const std::size_t i = first + p;
    const QPointF at = rect.topLeft() + places[p];
    const qreal mid = at.y() + row / 2;
    const QRectF text_rect(at.x() + (kSample + kGap) * em, at.y(), rect.width(), row);
    if (i < legend.Files.size()) {
      painter.setPen(QPen(legend.Files[i].Colour, 0.3 * em, Qt::SolidLine, Qt::FlatCap));
      painter.drawLine(QPointF(at.x(), mid), QPointF(at.x() + kSample * em, mid));
    } else {
      PaintKey(painter, legend.Keys[i - legend.Files.size()],
               QPointF(at.x() + kSample * em / 2, mid), em, text);
    }
    painter.setPen(text);
    painter.drawText(text_rect, Qt::AlignLeft | Qt::AlignVCenter, EntryText(legend, i));
  }
  painter.restore();
}

}  // namespace vellmor::gui
