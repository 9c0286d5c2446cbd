#pragma once

#include <QColor>
#include <QFont>
#include <QRectF>
#include <QString>
#include <optional>
#include <vector>

class QPainter;

namespace vellmor::gui {

// What a mark in the plots means, each drawn once in the legend: the line styles and the
// markers.
enum class TLegendKey {
  kClassical,        // solid: the march's table of results
  kConverged,        // dashed: the converged model
  kAir,              // dash-dot: the cooling air
  kMeasured,         // hollow square with its ±σ bar
  kFreezeClassical,  // filled circle
  kFreezeConverged,  // hollow diamond
  kOnset,            // triangle: the onset of crystallization
  kBand,             // a light area: the 95 % interval
};

// Many cases in one colour ramp: the bar of the ramp from low to high, under its title.
struct TColourBar {
  QString Title;  // "Take-up speed (m/min)"
  double Low = 0.0;
  double High = 1.0;
};

// The figure's one legend: each case once in its colour (or, for many, the colour bar), then
// each line style and marker in use once, in black, with what it means. It wraps onto as many
// rows as its width needs, so that no name is cut.
struct TLegendContent {
  struct TEntry {
    QString Name;
    QColor Colour;
  };
  std::vector<TEntry> Files;
  std::vector<TLegendKey> Keys;
  std::optional<TColourBar> Bar;  // in place of Files

  bool Empty() const { return Files.empty() && Keys.empty() && !Bar; }
};

// The text shown for a key.
QString LegendLabel(TLegendKey key);

// The height the legend takes in width, in the font's units; 0 for nothing to show.
qreal LegendHeight(const TLegendContent& legend, const QFont& font, qreal width);

// Draws the legend into rect (as tall as LegendHeight), text in the colour given.
void PaintLegend(QPainter& painter, const TLegendContent& legend, const QFont& font,
                 const QRectF& rect, const QColor& text);

}  // namespace vellmor::gui
