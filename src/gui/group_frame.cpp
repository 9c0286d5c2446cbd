#include "gui/group_frame.h"

#include <QPainter>

namespace vellmor::gui {
namespace {

constexpr int kCaptionLeft = 8;  // pixels from the box's left edge to the caption

}  // namespace

GroupFrame::GroupFrame(const QString& caption, QWidget* parent) : QGroupBox(caption, parent) {}

int GroupFrame::FrameTop() const { return fontMetrics().height() / 2; }

QRect GroupFrame::CaptionRect() const {
  const QFontMetrics metrics = fontMetrics();
  return {kCaptionLeft, 0, metrics.horizontalAdvance(title()), metrics.height()};
}

void GroupFrame::paintEvent(QPaintEvent* /*event*/) {
  QPainter painter(this);
  // The etched line: a shadow line with a light line one pixel below and right of it.
  const QRect frame = rect().adjusted(0, FrameTop(), -2, -2);
  painter.setPen(palette().color(QPalette::Mid));
  painter.drawRect(frame);
  painter.setPen(palette().color(QPalette::Light));
  painter.drawRect(frame.translated(1, 1));
  // The caption interrupts the line.
  const QRect caption = CaptionRect();
  painter.fillRect(caption, palette().color(QPalette::Window));
  painter.setPen(palette().color(QPalette::WindowText));
  painter.drawText(caption, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, title());
}

}  // namespace vellmor::gui
