#include "gui/bevel_panel.h"

#include <QPainter>

namespace vellmor::gui {

BevelPanel::BevelPanel(QWidget* parent) : QFrame(parent) {
  setFrameShape(QFrame::NoFrame);
  setAutoFillBackground(true);
}

void BevelPanel::SetBevels(Bevel outer, Bevel inner, int bevel_width) {
  outer_ = outer;
  inner_ = inner;
  bevel_width_ = bevel_width;
  const int thickness = BevelThickness();
  setContentsMargins(thickness, thickness, thickness, thickness);
  update();
}

void BevelPanel::SetCaption(const QString& caption, Qt::Alignment alignment) {
  caption_ = caption;
  alignment_ = alignment;
  update();
}

int BevelPanel::BevelThickness() const {
  return ((outer_ != Bevel::kNone) + (inner_ != Bevel::kNone)) * bevel_width_;
}

// Each ring of a bevel is lit on its top and left edges and shaded on its bottom and right
// edges when raised, the other way round when lowered.
void BevelPanel::DrawBevel(QPainter& painter, QRect& rect, Bevel bevel) const {
  if (bevel == Bevel::kNone) return;
  const QColor light = palette().color(QPalette::Light);
  const QColor shadow = palette().color(QPalette::Dark);
  const QColor& top_left = bevel == Bevel::kRaised ? light : shadow;
  const QColor& bottom_right = bevel == Bevel::kRaised ? shadow : light;
  for (int ring = 0; ring < bevel_width_; ++ring) {
    painter.setPen(top_left);
    painter.drawLine(rect.topLeft(), rect.topRight());
    painter.drawLine(rect.topLeft(), rect.bottomLeft());
    painter.setPen(bottom_right);
    painter.drawLine(rect.bottomLeft(), rect.bottomRight());
    painter.drawLine(rect.topRight(), rect.bottomRight());
    rect.adjust(1, 1, -1, -1);
  }
}

void BevelPanel::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  QRect rect = this->rect();
  DrawBevel(painter, rect, outer_);
  DrawBevel(painter, rect, inner_);
  if (caption_.isEmpty()) return;
  painter.setPen(palette().color(QPalette::WindowText));
  painter.drawText(rect, int(alignment_ | Qt::AlignVCenter | Qt::TextSingleLine), caption_);
}

}  // namespace vellmor::gui
