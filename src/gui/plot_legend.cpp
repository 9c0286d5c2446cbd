#include "gui/plot_legend.h"

#include <QPaintEvent>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>

namespace vellmor::gui {
namespace {

constexpr int kSample = 30;   // the length of a line's sample (px)
constexpr int kGap = 6;       // between a sample and its text
constexpr int kSpacing = 16;  // between entries
constexpr int kMargin = 4;
constexpr qreal kLineWidth = 1.6;
constexpr qreal kMarker = 8.0;

}  // namespace

PlotLegend::PlotLegend(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("PlotLegend"));
  QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Preferred);
  policy.setHeightForWidth(true);
  setSizePolicy(policy);
}

QString PlotLegend::Label(TLegendKey key) {
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
  }
  return {};
}

void PlotLegend::SetEntries(std::vector<TFile> files, std::vector<TLegendKey> keys) {
  files_ = std::move(files);
  keys_ = std::move(keys);
  updateGeometry();
  update();
}

int PlotLegend::EntryWidth(std::size_t entry) const {
  const QString text =
      entry < files_.size() ? files_[entry].Name : Label(keys_[entry - files_.size()]);
  return kSample + kGap + fontMetrics().horizontalAdvance(text);
}

int PlotLegend::Layout(int width, std::vector<QPoint>* places) const {
  const int row = fontMetrics().height() + 4;
  int x = kMargin;
  int y = kMargin;
  for (std::size_t i = 0; i < EntryCount(); ++i) {
    const int w = EntryWidth(i);
    // The files on their rows, the keys on theirs.
    const bool new_row = (x > kMargin && x + w > width - kMargin) || (i == files_.size() && i > 0);
    if (new_row) {
      x = kMargin;
      y += row;
    }
    if (places != nullptr) places->push_back({x, y});
    x += w + kSpacing;
  }
  return EntryCount() == 0 ? 0 : y + row + kMargin;
}

int PlotLegend::heightForWidth(int width) const { return Layout(width, nullptr); }

QSize PlotLegend::sizeHint() const {
  return {width() > 0 ? width() : 600, Layout(width() > 0 ? width() : 600, nullptr)};
}

void PlotLegend::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  // A new width may need another number of rows.
  if (height() != heightForWidth(width())) updateGeometry();
}

void PlotLegend::paintEvent(QPaintEvent* /*event*/) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  std::vector<QPoint> places;
  Layout(width(), &places);
  const int row = fontMetrics().height() + 4;
  for (std::size_t i = 0; i < places.size(); ++i) {
    const QPoint at = places[i];
    const int mid = at.y() + row / 2;
    const QRect text_rect(at.x() + kSample + kGap, at.y(), EntryWidth(i), row);
    if (i < files_.size()) {
      painter.setPen(QPen(files_[i].Colour, 3 * kLineWidth));
      painter.drawLine(at.x(), mid, at.x() + kSample, mid);
      painter.setPen(palette().color(QPalette::WindowText));
      painter.drawText(text_rect, Qt::AlignLeft | Qt::AlignVCenter, files_[i].Name);
      continue;
    }
    const TLegendKey key = keys_[i - files_.size()];
    const QPointF centre(at.x() + kSample / 2.0, mid);
    QPen pen(palette().color(QPalette::WindowText), kLineWidth);
    pen.setCapStyle(Qt::FlatCap);
    switch (key) {
      case TLegendKey::kClassical:
      case TLegendKey::kConverged:
      case TLegendKey::kAir:
        pen.setStyle(key == TLegendKey::kClassical   ? Qt::SolidLine
                     : key == TLegendKey::kConverged ? Qt::DashLine
                                                     : Qt::DashDotLine);
        painter.setPen(pen);
        painter.drawLine(at.x(), mid, at.x() + kSample, mid);
        break;
      case TLegendKey::kMeasured:
        painter.setPen(pen);
        painter.setBrush(Qt::NoBrush);
        painter.drawLine(centre + QPointF(0, -row / 2.5), centre + QPointF(0, row / 2.5));
        painter.setBrush(palette().color(QPalette::Base));
        painter.drawRect(QRectF(centre - QPointF(kMarker / 2.5, kMarker / 2.5),
                                QSizeF(kMarker / 1.25, kMarker / 1.25)));
        break;
      case TLegendKey::kFreezeClassical:
      case TLegendKey::kFreezeConverged:
        painter.setPen(QPen(Qt::black, 1.0));
        painter.setBrush(key == TLegendKey::kFreezeClassical ? QBrush(Qt::darkGray)
                                                             : QBrush(Qt::white));
        painter.drawEllipse(centre, kMarker / 2, kMarker / 2);
        break;
      case TLegendKey::kOnset: {
        painter.setPen(QPen(Qt::black, 1.0));
        painter.setBrush(Qt::darkGray);
        QPainterPath triangle;
        triangle.moveTo(centre + QPointF(0, -kMarker / 1.6));
        triangle.lineTo(centre + QPointF(kMarker / 1.6, kMarker / 2.2));
        triangle.lineTo(centre + QPointF(-kMarker / 1.6, kMarker / 2.2));
        triangle.closeSubpath();
        painter.drawPath(triangle);
        break;
      }
    }
    painter.setBrush(Qt::NoBrush);
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(text_rect, Qt::AlignLeft | Qt::AlignVCenter, Label(key));
  }
}

}  // namespace vellmor::gui
