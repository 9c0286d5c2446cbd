#pragma once

#include <QByteArray>
#include <QSizeF>
#include <QString>
#include <functional>
#include <vector>

#include "gui/figure_legend.h"
#include "gui/figure_page.h"
#include "gui/figure_table.h"

class QGraphicsScene;

namespace vellmor::gui {

// A figure for a report, top to bottom: the legend across its width, the plots (a scene of
// charts, laid out at the size they get), the tables. Drawn in points, as vectors (paths and
// text) into PDF and SVG, and as pixels only into PNG.
struct TFigure {
  QString Title;
  TLegendContent Legend;
  QGraphicsScene* Plots = nullptr;
  // Lays the plots out in their scene at that size (pt), from (0, 0).
  std::function<void(QSizeF)> LayOut;
  // The plots' height where the page's height follows the figure (pt).
  qreal PlotsHeight = 0.0;
  std::vector<TFigureTable> Tables;
};

// The figure's bytes as the suffix asks (pdf, svg or png; a PNG at dpi dots per inch), or the
// reason there are none.
QString FigureBytes(const TFigure& figure, const TFigurePage& page, const QString& suffix, int dpi,
                    QByteArray& bytes);

// Writes the figure to path by its suffix, whole or not at all; the reason it was not, or an
// empty text.
QString WriteFigure(const QString& path, const TFigure& figure, const TFigurePage& page, int dpi);

}  // namespace vellmor::gui
