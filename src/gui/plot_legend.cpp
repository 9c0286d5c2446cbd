#include "gui/plot_legend.h"

#include <QPainter>
#include <cmath>

namespace vellmor::gui {
namespace {

constexpr int kMargin = 4;

}  // namespace

PlotLegend::PlotLegend(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("PlotLegend"));
  QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Preferred);
  policy.setHeightForWidth(true);
  setSizePolicy(policy);
}

void PlotLegend::SetContent(TLegendContent content) {
  content_ = std::move(content);
  updateGeometry();
  update();
}

int PlotLegend::heightForWidth(int width) const {
  if (content_.Empty()) return 0;
  return static_cast<int>(std::ceil(LegendHeight(content_, font(), width - 2 * kMargin))) +
         2 * kMargin;
}

QSize PlotLegend::sizeHint() const {
  const int width = this->width() > 0 ? this->width() : 600;
  return {width, heightForWidth(width)};
}

void PlotLegend::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  // A new width may need another number of rows.
  if (height() != heightForWidth(width())) updateGeometry();
}

void PlotLegend::paintEvent(QPaintEvent* /*event*/) {
  QPainter painter(this);
  PaintLegend(painter, content_, font(), QRectF(rect()).adjusted(kMargin, kMargin, -kMargin, 0),
              palette().color(QPalette::WindowText));
}

}  // namespace vellmor::gui
