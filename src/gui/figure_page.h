#pragma once

#include <QFont>
#include <QSizeF>
#include <QString>
#include <optional>

namespace vellmor::gui {

// The size of a figure in a report, in points (1/72 inch: the unit the figure is drawn in),
// and the type size that reads well at it.
struct TFigurePage {
  qreal Width = 0.0;
  qreal Height = 0.0;  // 0: as tall as its plots need
  qreal Font = 8.0;    // body type (pt); titles a little larger, tick labels a little smaller
  int Columns = 1;     // plots side by side
};

inline constexpr qreal kPointsPerCm = 72.0 / 2.54;

// A journal's column (8.5 cm wide), a page's width (17 cm), a slide (25.4 × 14.29 cm, 16:9),
// or WxH in cm ("12x9"), or in the window's pixels at 96 to the inch ("1600x1200px"); the
// message that refuses the text otherwise.
std::optional<TFigurePage> FigurePageOf(const QString& text, QString& problem);

// The figure of the window's "Save image…": its picture's size in pixels.
TFigurePage WindowPage(QSizeF pixels);

// The page's body type, sized in points.
QFont FigureFont(const TFigurePage& page);

// How big the plots' type, lines and markers are, in the scene's units: the window's pixels,
// or a figure's points; and how many plots stand side by side.
struct TPlotStyle {
  QFont Title;   // a plot's title
  QFont Labels;  // tick labels
  QFont Axis;    // an axis's title
  qreal LineWidth = 1.6;
  qreal MarkerSize = 9.0;
  int Columns = 1;
};

// A figure's plots: the page's type and line widths.
TPlotStyle FigurePlotStyle(const TFigurePage& page);

// A row of plots about half as tall as a plot is wide (pt).
qreal PlotRowHeight(const TFigurePage& page);

}  // namespace vellmor::gui
