#pragma once

#include <QGraphicsScene>
#include <QObject>
#include <vector>

#include "gui/figure_legend.h"
#include "gui/profile_plots.h"
#include "vellmor/documents/sweep_summary.h"

class QChart;

namespace vellmor::gui {

// A sweep's process numbers against a varied input: one plot per number, stacked on the same
// x, one line with its markers per value of the grouping input in that value's colour, the
// 95 % band beneath it where the summary has the interval.
class SweepFigure {
 public:
  SweepFigure(const TSweepFigureData& data, const TPlotStyle& style);
  ~SweepFigure();
  SweepFigure(const SweepFigure&) = delete;
  SweepFigure& operator=(const SweepFigure&) = delete;

  QGraphicsScene& Scene() { return scene_; }
  const TLegendContent& Legend() const { return legend_; }
  const std::vector<QChart*>& Charts() const { return charts_; }
  // Lays the plots out at size, from (0, 0), as ProfilePlots does.
  void LayOut(QSizeF size);

 private:
  QGraphicsScene scene_;
  std::vector<QChart*> charts_;
  TLegendContent legend_;
  QString x_title_;
  int columns_ = 1;
};

}  // namespace vellmor::gui
