#pragma once

#include <QWidget>
#include <vector>

#include "gui/figure_legend.h"

namespace vellmor::gui {

// The window's legend above the plots: the figure's legend (PaintLegend) as a widget, as tall
// as its width needs.
class PlotLegend : public QWidget {
  Q_OBJECT

 public:
  using TFile = TLegendContent::TEntry;

  explicit PlotLegend(QWidget* parent = nullptr);

  void SetContent(TLegendContent content);
  const TLegendContent& Content() const { return content_; }
  const std::vector<TFile>& Files() const { return content_.Files; }
  const std::vector<TLegendKey>& Keys() const { return content_.Keys; }
  static QString Label(TLegendKey key) { return LegendLabel(key); }

  bool hasHeightForWidth() const override { return true; }
  int heightForWidth(int width) const override;
  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  TLegendContent content_;
};

}  // namespace vellmor::gui
