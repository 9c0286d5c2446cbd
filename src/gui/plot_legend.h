#pragma once

#include <QColor>
#include <QString>
#include <QWidget>
#include <vector>

namespace vellmor::gui {

// What a mark in the plots means, each drawn once in the legend: the line styles and the
// markers.
enum class TLegendKey {
  kClassical,        // solid: the march's table of results
  kConverged,        // dashed: the converged model
  kAir,              // dash-dot: the cooling air
  kMeasured,         // hollow square with its ±σ bar
  kFreezeClassical,  // filled circle
  kFreezeConverged,  // hollow circle
  kOnset,            // triangle: the onset of crystallization
};

// The figure's one legend, above the plots: each file once in its colour, then each line style
// and marker in use once, in black, with what it means. It wraps onto as many rows as its
// width needs, so that no name is cut.
class PlotLegend : public QWidget {
  Q_OBJECT

 public:
  struct TFile {
    QString Name;
    QColor Colour;
  };

  explicit PlotLegend(QWidget* parent = nullptr);

  void SetEntries(std::vector<TFile> files, std::vector<TLegendKey> keys);
  const std::vector<TFile>& Files() const { return files_; }
  const std::vector<TLegendKey>& Keys() const { return keys_; }
  // The text shown for a key.
  static QString Label(TLegendKey key);

  bool hasHeightForWidth() const override { return true; }
  int heightForWidth(int width) const override;
  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  // Lays the entries out in rows within width; the top left of each, and the height used.
  int Layout(int width, std::vector<QPoint>* places) const;
  int EntryWidth(std::size_t entry) const;
  std::size_t EntryCount() const { return files_.size() + keys_.size(); }

  std::vector<TFile> files_;
  std::vector<TLegendKey> keys_;
};

}  // namespace vellmor::gui
