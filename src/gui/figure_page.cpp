#include "gui/figure_page.h"

#include <QStringList>
#include <algorithm>

namespace vellmor::gui {
namespace {

// Readable type for a width: 7 pt in a column, 9 pt across a page, 12 pt on a slide.
qreal FontFor(qreal width_cm) { return std::clamp(4.7 + 0.28 * width_cm, 6.5, 14.0); }

int ColumnsFor(qreal width_cm, qreal height_cm) {
  if (height_cm > 0.0 && width_cm > 1.4 * height_cm) return width_cm >= 24.0 ? 3 : 2;
  return width_cm >= 15.0 ? 2 : 1;
}

TFigurePage Page(qreal width_cm, qreal height_cm) {
  return {width_cm * kPointsPerCm, height_cm * kPointsPerCm, FontFor(width_cm),
          ColumnsFor(width_cm, height_cm)};
}

}  // namespace

std::optional<TFigurePage> FigurePageOf(const QString& text, QString& problem) {
  const QString name = text.trimmed().toLower();
  if (name == QLatin1String("column")) return Page(8.5, 0.0);
  if (name == QLatin1String("page")) return Page(17.0, 0.0);
  if (name == QLatin1String("slide")) return Page(25.4, 14.29);
  const bool pixels = name.endsWith(QLatin1String("px"));
  const QStringList sides = (pixels ? name.chopped(2) : name).split(u'x');
  bool wide = false;
  bool high = false;
  const double width = sides.size() == 2 ? sides[0].toDouble(&wide) : 0.0;
  const double height = sides.size() == 2 ? sides[1].toDouble(&high) : 0.0;
  // 96 pixels to the inch.
  const double cm = pixels ? 2.54 / 96.0 : 1.0;
  if (wide && high && width * cm >= 4.0 && height * cm >= 3.0 && width * cm <= 120.0 &&
      height * cm <= 120.0) {
    return Page(width * cm, height * cm);
  }
  problem = QStringLiteral(
                "--size %1: expected column (8.5 cm wide), page (17 cm), slide, WxH in "
                "cm from 4x3 to 120x120, or WxHpx in pixels at 96 dpi")
                .arg(text);
  return std::nullopt;
}

QFont FigureFont(const TFigurePage& page) {
  QFont font(QStringLiteral("DejaVu Sans"));
  font.setStyleHint(QFont::SansSerif);
  // In the figure's units, points: the same size on paper whatever the output's resolution.
  font.setPixelSize(qMax(1, qRound(page.Font)));
  return font;
}

TPlotStyle FigurePlotStyle(const TFigurePage& page) {
  const QFont body = FigureFont(page);
  TPlotStyle style;
  style.Title = body;
  style.Title.setBold(true);
  style.Labels = body;
  style.Labels.setPixelSize(qMax(1, qRound(page.Font * 0.9)));
  style.Axis = body;
  style.LineWidth = std::max(0.8, page.Font * 0.13);
  style.MarkerSize = page.Font * 0.8;
  style.Columns = page.Columns;
  return style;
}

qreal PlotRowHeight(const TFigurePage& page) {
  return (page.Columns > 1 ? 0.55 : 0.5) * page.Width / page.Columns;
}

TFigurePage WindowPage(QSizeF pixels) {
  return Page(pixels.width() * 2.54 / 96.0, pixels.height() * 2.54 / 96.0);
}

}  // namespace vellmor::gui
