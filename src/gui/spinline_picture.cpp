#include "gui/spinline_picture.h"

#include <QPainter>
#include <QPainterPath>
#include <QPolygon>

#include "gui/form_style.h"

namespace vellmor::gui {
namespace {

constexpr int kFace = 26;     // y of the spinneret face, x = 0
constexpr int kTakeUp = 180;  // y where the filament meets the roll, x = L
constexpr int kAxis = 10;     // x of the distance axis

// A vertical arrow from y_from to y_to with its head at y_to.
void DrawVerticalArrow(QPainter& painter, int x, int y_from, int y_to) {
  const int back = y_to > y_from ? -4 : 4;
  painter.drawLine(x, y_from, x, y_to);
  painter.setBrush(painter.pen().color());
  painter.drawPolygon(
      QPolygon({QPoint(x, y_to), QPoint(x - 2, y_to + back), QPoint(x + 2, y_to + back)}));
  painter.setBrush(Qt::NoBrush);
}

void DrawSpinneret(QPainter& painter) {
  painter.setBrush(QBrush(Qt::black, Qt::BDiagPattern));
  painter.drawRect(24, 14, 31, kFace - 14);
  painter.drawRect(67, 14, 31, kFace - 14);
  painter.setBrush(Qt::NoBrush);
  // The hole diameter, dimensioned above the hole.
  painter.drawLine(55, 9, 67, 9);
  painter.drawLine(55, 6, 55, 12);
  painter.drawLine(67, 6, 67, 12);
  painter.drawText(70, 11, QStringLiteral("Do"));
}

// The filament swells just below the hole, then is drawn down to the roll.
void DrawFilament(QPainter& painter) {
  painter.setRenderHint(QPainter::Antialiasing, true);
  QPainterPath filament;
  filament.moveTo(55, kFace);
  filament.cubicTo(51, 34, 56, 70, 60, kTakeUp);
  filament.lineTo(62, kTakeUp);
  filament.cubicTo(66, 70, 71, 34, 67, kFace);
  filament.closeSubpath();
  painter.setBrush(QColor(0xC8, 0xC8, 0xC8));
  painter.drawPath(filament);
  painter.setBrush(Qt::NoBrush);
  painter.setRenderHint(QPainter::Antialiasing, false);
}

void DrawDistanceAxis(QPainter& painter) {
  painter.setPen(Qt::DotLine);
  painter.drawLine(kAxis, kFace, 24, kFace);
  painter.setPen(Qt::SolidLine);
  DrawVerticalArrow(painter, kAxis, kFace, 150);
  painter.drawText(1, 36, QStringLiteral("0"));
  painter.drawText(kAxis + 3, 158, QStringLiteral("x"));
}

void DrawVelocityAndTension(QPainter& painter) {
  DrawVerticalArrow(painter, 74, 50, 66);
  painter.drawText(78, 57, QStringLiteral("V(x)"));
  painter.drawText(78, 69, QStringLiteral("F(x)"));
}

// The slice whose balances the equations of the spinline state.
void DrawSlice(QPainter& painter) {
  painter.setPen(Qt::DotLine);
  painter.drawLine(kAxis, 100, 56, 100);
  painter.drawLine(kAxis, 108, 56, 108);
  painter.setPen(Qt::SolidLine);
  painter.setBrush(QBrush(Qt::black, Qt::FDiagPattern));
  painter.drawRect(53, 100, 14, 8);
  painter.setBrush(Qt::NoBrush);
  painter.drawText(14, 98, QStringLiteral("x"));
  painter.drawText(14, 118, QStringLiteral("x+Δx"));
}

void DrawLength(QPainter& painter) {
  DrawVerticalArrow(painter, 108, 98, kFace);
  DrawVerticalArrow(painter, 108, 98, kTakeUp);
  painter.drawLine(98, kFace, 112, kFace);
  painter.drawLine(80, kTakeUp, 112, kTakeUp);
  painter.drawText(112, 102, QStringLiteral("L"));
}

// The filament runs onto the roll at its leftmost point.
void DrawTakeUpRoll(QPainter& painter) {
  painter.setRenderHint(QPainter::Antialiasing, true);
  painter.drawEllipse(QPoint(70, kTakeUp), 9, 9);
  painter.drawEllipse(QPoint(70, kTakeUp), 1, 1);
  painter.setRenderHint(QPainter::Antialiasing, false);
  DrawVerticalArrow(painter, 55, 160, 176);
  painter.drawText(34, 174, QStringLiteral("Fw"));
  painter.drawText(84, 190, QStringLiteral("Vw"));
}

}  // namespace

QPixmap DrawSpinlinePicture() {
  QPixmap picture(kSpinlinePictureWidth, kSpinlinePictureHeight);
  picture.fill(Qt::white);
  QPainter painter(&picture);
  painter.setRenderHint(QPainter::Antialiasing, false);
  QFont font = FormFont(10);
  font.setItalic(true);
  painter.setFont(font);
  painter.setPen(Qt::black);
  DrawSpinneret(painter);
  DrawFilament(painter);
  DrawDistanceAxis(painter);
  DrawVelocityAndTension(painter);
  DrawSlice(painter);
  DrawLength(painter);
  DrawTakeUpRoll(painter);
  return picture;
}

}  // namespace vellmor::gui
