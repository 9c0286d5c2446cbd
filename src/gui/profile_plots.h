#pragma once

#include <QColor>
#include <QFont>
#include <QGraphicsView>
#include <QString>
#include <array>
#include <optional>
#include <vector>

#include "gui/figure_legend.h"
#include "gui/figure_page.h"
#include "gui/profile_curves.h"

class QAbstractAxis;
class QChart;
class QGraphicsScene;
class QLogValueAxis;
class QValueAxis;

namespace vellmor::gui {

// The plots of the profile viewer, stacked so that they share the x axis; the fibre's
// structure (birefringence and crystallinity) only while a set carries it.
enum class TPlot { kVelocity, kTemperature, kDiameter, kTension, kBirefringence, kCrystallinity };
inline constexpr int kPlotCount = 6;

// A measurement drawn over the curves of its plot: a hollow square at (x, value) with its
// ±σ bar.
struct TMeasuredPoint {
  TPlot Plot = TPlot::kDiameter;
  double X = 0.0;
  double Y = 0.0;
  double Sigma = 0.0;  // 0: no bar
  // (model − measured) / σ where a fit gives it: drawn in the residual plot under the others.
  std::optional<double> Normalised;
};

// How one set of curves is drawn: its name (the series'), its colour and its line: solid for a
// result file, dashed for the converged model; File names it in the legend, once for all the
// sets of one file.
struct TCurveStyle {
  QString Name;
  QColor Colour;
  Qt::PenStyle Line = Qt::SolidLine;
  QString File = {};
};

// Velocity, filament and air temperature, diameter and tension against the distance from the
// spinneret, as four plots in one view whose plot areas line up, so that one x reads across
// all of them; under them birefringence and crystallinity where a set was solved with the
// fibre's structure. Each set of curves is drawn in its own style; the air temperature is
// dotted beside the filament's, the freeze point is a marker on every plot and the onset of
// crystallization a triangle on the crystallinity. The velocity plot carries the legend, one
// entry per set.
class ProfilePlots : public QGraphicsView {
  Q_OBJECT

 public:
  explicit ProfilePlots(QWidget* parent = nullptr);
  ~ProfilePlots() override;

  // One spinline's curves, drawn in style, with its freeze point marked when it has one, and
  // measurements over them (a set may hold measurements alone, without curves).
  struct TCurveSet {
    TProfileCurves Curves;
    TCurveStyle Style;
    std::optional<double> FreezeX;
    std::vector<TMeasuredPoint> Points = {};
    // Where the crystallinity first reached 1 %, where the set has its structure and it did.
    std::optional<double> OnsetX = {};
    // Whether its cooling air is drawn: once per file (the converged model's air is the
    // file's).
    bool Air = true;
  };

  // Shows these sets in place of those shown before, fitting the axes and the layout once for
  // all of them. Overlays draw one set per file; another solution of the same file (a
  // converged one, say) is one more set in another line style.
  void Show(const std::vector<TCurveSet>& sets);
  // Adds one set to those shown.
  void AddCurves(const TProfileCurves& curves, const TCurveStyle& style,
                 std::optional<double> freeze_x);
  // Removes every set of curves.
  void Clear();

  QChart& Chart(TPlot plot) const { return *charts_[static_cast<std::size_t>(plot)]; }
  QGraphicsScene& Scene() const { return *scene_; }
  // The window's style, and a figure's (of that width, pt); takes effect at the next Show.
  TPlotStyle WindowStyle() const { return window_style_; }
  void SetStyle(const TPlotStyle& style, std::optional<qreal> figure_width = std::nullopt);
  // Lays the plots out in the scene at size, from (0, 0): the view's size in the window, a
  // figure's plot area when one is drawn.
  void LayOut(QSizeF size);
  // The number of plots shown: four, six with the structure, one more with residuals.
  int ShownPlots() const;
  // The diameter on a logarithmic axis (the default: final diameters of 13.8 and 17.8 µm
  // are told apart beside the hole's 450), or on a linear one. Takes effect at the next Show.
  void SetLogarithmicDiameter(bool logarithmic);
  bool LogarithmicDiameter() const { return log_diameter_; }
  // The fit's normalised residuals against x; shown only while a set has some.
  QChart& ResidualChart() const { return *residual_chart_; }
  bool HasResiduals() const;
  // Whether the birefringence and crystallinity plots are shown: while a set has either.
  bool ShowsStructure() const;

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  void AddSeriesOf(const TCurveSet& set);
  // The legend, the axes and the layout, after sets were added.
  void Finish();
  void ShowLegend();
  // The axes around the curves shown, or around curves, one list per plot, with or without
  // the structure's plots.
  void FitAxes();
  void FitAxes(const std::array<std::vector<const QList<QPointF>*>, kPlotCount>& curves,
               bool structure);
  // The residual plot's: x as the others', y symmetric about 0; shown only with residuals.
  void FitResidualAxes();
  void Layout();
  void ApplyStyle();
  // A plot in the scene, its own legend hidden.
  QChart* MakeChart(const QString& name, const QString& title);

  QGraphicsScene* scene_;
  TPlotStyle window_style_;
  TPlotStyle style_;
  std::optional<qreal> figure_width_;
  std::array<QChart*, kPlotCount> charts_{};
  std::array<QValueAxis*, kPlotCount> x_axes_{};
  std::array<QValueAxis*, kPlotCount> y_axes_{};
  QLogValueAxis* log_diameter_axis_ = nullptr;
  bool log_diameter_ = true;
  // The y axis a plot's series attach to now.
  QAbstractAxis& YAxis(std::size_t plot) const;
  void UseDiameterAxis();
  QChart* residual_chart_ = nullptr;
  QValueAxis* residual_x_axis_ = nullptr;
  QValueAxis* residual_y_axis_ = nullptr;
};

// The legend of sets: each file once (by its File, else its Name) in its colour, then the
// line styles and markers they use.
TLegendContent LegendEntries(const std::vector<ProfilePlots::TCurveSet>& sets);

}  // namespace vellmor::gui
