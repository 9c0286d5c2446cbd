#include "gui/form_style.h"

#include <QFontDatabase>
#include <QPalette>
#include <QStringList>
#include <QWidget>

namespace vellmor::gui {

QString FormFontFamily() {
  static const QString family = [] {
    const QStringList installed = QFontDatabase::families();
    for (const QString& wanted : {QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("MS PGothic"),
                                  QStringLiteral("IPAPGothic")}) {
      if (installed.contains(wanted)) return wanted;
    }
    return QFontDatabase::systemFont(QFontDatabase::GeneralFont).family();
  }();
  return family;
}

QFont FormFont(int pixel_size) {
  QFont font(FormFontFamily());
  font.setPixelSize(pixel_size);
  return font;
}

void SetCaptionColour(QWidget& widget, const QColor& colour) {
  QPalette palette = widget.palette();
  palette.setColor(QPalette::WindowText, colour);
  widget.setPalette(palette);
}

}  // namespace vellmor::gui
