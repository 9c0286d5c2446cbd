#include "gui/button_glyphs.h"

#include <QPainter>
#include <QPainterPath>
#include <QPolygon>

#include "gui/form_style.h"

namespace vellmor::gui {
namespace {

// The colours of one look: the disabled look replaces every colour by one grey and adds a
// white shadow one pixel down and right, as engraved into the button face.
struct TGlyphPens {
  QColor main;
  QColor dark;
  QColor light;
};

TGlyphPens PensFor(ButtonKind kind, bool disabled, const QColor& grey) {
  if (disabled) return {grey, grey, grey};
  switch (kind) {
    case ButtonKind::kOk:
      return {QColor(0x00, 0x80, 0x00), QColor(0x00, 0x40, 0x00), QColor(0x00, 0xC0, 0x00)};
    case ButtonKind::kClose:
      return {QColor(0x80, 0x80, 0x00), QColor(0x00, 0x00, 0x00), QColor(0x00, 0xFF, 0x00)};
    case ButtonKind::kHelp:
      return {QColor(0x00, 0x80, 0x80), QColor(0x00, 0x40, 0x40), QColor(0x00, 0xC0, 0xC0)};
  }
  return {grey, grey, grey};
}

void DrawCheck(QPainter& painter, const TGlyphPens& pens) {
  QPainterPath tick;
  tick.moveTo(3, 9);
  tick.lineTo(7, 13);
  tick.lineTo(15, 4);
  painter.setPen(QPen(pens.main, 3, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
  painter.drawPath(tick);
}

void DrawDoor(QPainter& painter, const TGlyphPens& pens) {
  // Exit light over the door frame.
  painter.fillRect(QRect(6, 1, 7, 3), pens.light);
  // The dark doorway and its frame.
  painter.setPen(pens.dark);
  painter.setBrush(pens.dark);
  painter.drawRect(QRect(5, 5, 8, 12));
  // The door leaf, swung open towards the viewer on its left hinge.
  const QPolygon leaf({QPoint(5, 5), QPoint(10, 7), QPoint(10, 17), QPoint(5, 17)});
  painter.setBrush(pens.main);
  painter.drawPolygon(leaf);
  painter.fillRect(QRect(8, 11, 1, 2), pens.light);
}

void DrawQuestionMark(QPainter& painter, const TGlyphPens& pens) {
  QFont font = FormFont(17);
  font.setBold(true);
  painter.setFont(font);
  painter.setPen(pens.main);
  painter.drawText(QRect(0, 0, kGlyphSize, kGlyphSize), Qt::AlignCenter, QStringLiteral("?"));
}

void DrawKind(QPainter& painter, ButtonKind kind, const TGlyphPens& pens) {
  switch (kind) {
    case ButtonKind::kOk:
      DrawCheck(painter, pens);
      return;
    case ButtonKind::kClose:
      DrawDoor(painter, pens);
      return;
    case ButtonKind::kHelp:
      DrawQuestionMark(painter, pens);
      return;
  }
}

}  // namespace

QPixmap DrawGlyph(ButtonKind kind, bool disabled) {
  QPixmap pixmap(kGlyphSize, kGlyphSize);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  if (disabled) {
    painter.save();
    painter.translate(1, 1);
    DrawKind(painter, kind, PensFor(kind, true, Qt::white));
    painter.restore();
  }
  DrawKind(painter, kind, PensFor(kind, disabled, QColor(0x80, 0x80, 0x80)));
  return pixmap;
}

QIcon GlyphIcon(ButtonKind kind) {
  QIcon icon;
  icon.addPixmap(DrawGlyph(kind, false), QIcon::Normal);
  icon.addPixmap(DrawGlyph(kind, true), QIcon::Disabled);
  return icon;
}

}  // namespace vellmor::gui
