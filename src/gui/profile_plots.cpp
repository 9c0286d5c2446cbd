#include "gui/profile_plots.h"

#include "gui/axis_ticks.h"

#include <QAreaSeries>
#include <QChart>
#include <QFontMetricsF>
#include <QGraphicsLayout>
#include <QGraphicsScene>
#include <QLegend>
#include <QLegendMarker>
#include <QLineSeries>
#include <QLogValueAxis>
#include <QScatterSeries>
#include <QValueAxis>
#include <algorithm>
#include <cmath>
#include <limits>

namespace vellmor::gui {
namespace {

struct TPlotLayout {
  const char* name;   // object name of the chart
  const char* title;  // with the unit
};

constexpr std::array<TPlotLayout, kPlotCount> kPlots{{
    {"VelocityChart", "Velocity (m/min)"},
    {"TemperatureChart", "Temperature (°C)"},
    {"DiameterChart", "Diameter (µm)"},
    {"TensionChart", "Tension (dyn)"},
    {"BirefringenceChart", "Birefringence"},
    {"CrystallinityChart", "Crystallinity (mass fraction)"},
}};

constexpr const char* kDistanceTitle = "x, distance from the spinneret (cm)";

constexpr bool IsStructurePlot(std::size_t plot) {
  return plot >= static_cast<std::size_t>(TPlot::kBirefringence);
}

constexpr int kTitlePixelSize = 12;
constexpr QMargins kChartMargins{4, 0, 12, 0};

// Adds series to the plot on its two axes.
void AddSeries(QChart& chart, QXYSeries* series, QAbstractAxis& x_axis, QAbstractAxis& y_axis) {
  chart.addSeries(series);
  series->attachAxis(&x_axis);
  series->attachAxis(&y_axis);
}

QLineSeries* Line(QChart& chart, const QList<QPointF>& points, const QString& name,
                  const QColor& colour, Qt::PenStyle line, qreal width) {
  auto* series = new QLineSeries(&chart);
  series->setName(name);
  series->append(points);
  QPen pen(colour, width, line);
  pen.setCapStyle(Qt::FlatCap);
  series->setPen(pen);
  return series;
}

// A point marked on a curve: filled in the set's colour for a result file, hollow (white,
// ringed in that colour) for the converged model, so that a file's two are told apart.
QScatterSeries* PointMarker(QChart& chart, const QPointF& at, const QString& name,
                            const QColor& colour, bool hollow, QScatterSeries::MarkerShape shape,
                            qreal size, qreal line) {
  auto* marker = new QScatterSeries(&chart);
  marker->setName(name);
  marker->setMarkerShape(shape);
  marker->setMarkerSize(size);
  // Hollow, it shows a filled marker under it: a file's two freeze points stay apart.
  marker->setColor(hollow ? QColor(Qt::transparent) : colour);
  marker->setPen(QPen(hollow ? colour : QColor(Qt::black), hollow ? line : 0.5 * line));
  marker->append(at);
  return marker;
}

// The freeze point on one plot: a filled circle for a result file, a hollow diamond, a little
// larger, for the converged model, so that the two stay apart where they nearly meet.
QScatterSeries* FreezeMarker(QChart& chart, const QPointF& at, const QString& name,
                             const QColor& colour, bool hollow, const TPlotStyle& style) {
  return PointMarker(
      chart, at, name + QStringLiteral(": freeze point"), colour, hollow,
      hollow ? QScatterSeries::MarkerShapeRotatedRectangle : QScatterSeries::MarkerShapeCircle,
      hollow ? style.MarkerSize * 1.15 : style.MarkerSize, style.LineWidth);
}

// The onset of crystallization on the crystallinity plot: a triangle.
QScatterSeries* OnsetMarker(QChart& chart, const QPointF& at, const QString& name,
                            const QColor& colour, bool hollow, const TPlotStyle& style) {
  return PointMarker(chart, at, name + QStringLiteral(": onset of crystallization"), colour, hollow,
                     QScatterSeries::MarkerShapeTriangle, style.MarkerSize * 1.2, style.LineWidth);
}

// A measurement: a hollow square in the set's colour.
QScatterSeries* MeasuredMarkers(QChart& chart, const QString& name, const QColor& colour,
                                const TPlotStyle& style) {
  auto* markers = new QScatterSeries(&chart);
  markers->setName(name + QStringLiteral(": measured"));
  markers->setMarkerShape(QScatterSeries::MarkerShapeRectangle);
  markers->setMarkerSize(style.MarkerSize * 0.8);
  markers->setColor(Qt::white);
  markers->setBorderColor(colour);
  QPen pen(colour, style.LineWidth);
  markers->setPen(pen);
  return markers;
}

// A 95 % band: the area between its bounds in the set's colour, light, with no outline, drawn
// beneath the curve.
QAreaSeries* Band(QChart& chart, const TBand& band, const QString& name, const QColor& colour) {
  auto* upper = new QLineSeries(&chart);
  upper->append(band.Hi);
  auto* lower = new QLineSeries(&chart);
  lower->append(band.Lo);
  auto* area = new QAreaSeries(upper, lower);
  area->setParent(&chart);
  area->setName(name + QStringLiteral(": 95 % band"));
  QColor fill = colour;
  fill.setAlpha(56);
  area->setBrush(fill);
  area->setPen(Qt::NoPen);
  return area;
}

// Bars and markers have no legend entry of their own but the measured points'.
constexpr const char* kBarName = "±σ";

void FitAxis(QValueAxis& axis, double low, double high, int intervals, bool room) {
  ApplyTicks(axis, NiceTicks(low, high, intervals, room));
}

}  // namespace

ProfilePlots::ProfilePlots(QWidget* parent)
    : QGraphicsView(parent), scene_(new QGraphicsScene(this)) {
  setObjectName(QStringLiteral("ProfilePlots"));
  setScene(scene_);
  setFrameShape(QFrame::NoFrame);
  setRenderHint(QPainter::Antialiasing);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setMinimumSize(420, 480);
  QFont title_font = font();
  title_font.setPixelSize(kTitlePixelSize);
  title_font.setBold(true);
  window_style_.Title = title_font;
  style_.Title = title_font;
  for (std::size_t i = 0; i < charts_.size(); ++i) {
    if (i == static_cast<std::size_t>(TPlot::kDiameter)) continue;  // UseDiameterAxis's
    QChart* chart =
        MakeChart(QString::fromLatin1(kPlots[i].name), QString::fromUtf8(kPlots[i].title));
    auto* x_axis = new QValueAxis(chart);
    auto* y_axis = new QValueAxis(chart);
    // A short plot's labels are squeezed to "…" otherwise; they fit beside the axis.
    y_axis->setTruncateLabels(false);
    chart->addAxis(x_axis, Qt::AlignBottom);
    chart->addAxis(y_axis, Qt::AlignLeft);
    charts_[i] = chart;
    x_axes_[i] = x_axis;
    y_axes_[i] = y_axis;
  }
  window_style_.Labels = x_axes_[0]->labelsFont();
  window_style_.Axis = x_axes_[0]->titleFont();
  style_ = window_style_;
  UseDiameterAxis();
  residual_chart_ = MakeChart(QStringLiteral("ResidualChart"),
                              QStringLiteral("Fit residuals, (model − measured)/σ"));
  residual_x_axis_ = new QValueAxis(residual_chart_);
  residual_y_axis_ = new QValueAxis(residual_chart_);
  residual_y_axis_->setTitleText(QStringLiteral("residual/σ"));
  residual_y_axis_->setTruncateLabels(false);
  residual_chart_->addAxis(residual_x_axis_, Qt::AlignBottom);
  residual_chart_->addAxis(residual_y_axis_, Qt::AlignLeft);
  FitAxes();
}

ProfilePlots::~ProfilePlots() = default;

QChart* ProfilePlots::MakeChart(const QString& name, const QString& title) {
  auto* chart = new QChart();
  chart->setObjectName(name);
  chart->setTitle(title);
  chart->setTitleFont(style_.Title);
  chart->setBackgroundRoundness(0);
  chart->setMargins(kChartMargins);
  chart->layout()->setContentsMargins(0, 0, 0, 0);
  // Axis labels in the user's number format, as the window's fields are read.
  chart->setLocalizeNumbers(true);
  // The figure's one legend is drawn apart from the plots (PlotLegend, a figure's legend).
  chart->legend()->setVisible(false);
  scene_->addItem(chart);
  return chart;
}

QAbstractAxis& ProfilePlots::YAxis(std::size_t plot) const {
  if (plot == static_cast<std::size_t>(TPlot::kDiameter) && log_diameter_) {
    return *log_diameter_axis_;
  }
  return *y_axes_[plot];
}

void ProfilePlots::SetStyle(const TPlotStyle& style, std::optional<qreal> figure_width) {
  style_ = style;
  figure_width_ = figure_width;
  ApplyStyle();
}

void ProfilePlots::ApplyStyle() {
  std::vector<QChart*> charts(charts_.begin(), charts_.end());
  charts.push_back(residual_chart_);
  for (QChart* chart : charts) {
    chart->setTitleFont(style_.Title);
    for (QAbstractAxis* axis : chart->axes()) {
      axis->setLabelsFont(style_.Labels);
      axis->setTitleFont(style_.Axis);
    }
  }
}

void ProfilePlots::SetLogarithmicDiameter(bool logarithmic) {
  if (logarithmic == log_diameter_) return;
  Chart(TPlot::kDiameter).removeAllSeries();
  log_diameter_ = logarithmic;
  UseDiameterAxis();
}

// The diameter plot is made anew with the axis chosen: an axis removed from a chart that was
// laid out leaves its labels and grid in the scene until the event loop deletes them, which a
// figure drawn at once never reaches.
void ProfilePlots::UseDiameterAxis() {
  const std::size_t diameter = static_cast<std::size_t>(TPlot::kDiameter);
  delete charts_[diameter];
  QChart* chart = MakeChart(QString::fromLatin1(kPlots[diameter].name),
                            QString::fromUtf8(kPlots[diameter].title));
  charts_[diameter] = chart;
  x_axes_[diameter] = new QValueAxis(chart);
  chart->addAxis(x_axes_[diameter], Qt::AlignBottom);
  y_axes_[diameter] = nullptr;
  log_diameter_axis_ = nullptr;
  QAbstractAxis* shown = nullptr;
  if (log_diameter_) {
    log_diameter_axis_ = new QLogValueAxis(chart);
    log_diameter_axis_->setBase(10.0);
    log_diameter_axis_->setLabelFormat(QStringLiteral("%.0f"));
    log_diameter_axis_->setMinorTickCount(8);
    shown = log_diameter_axis_;
  } else {
    y_axes_[diameter] = new QValueAxis(chart);
    shown = y_axes_[diameter];
  }
  // A short plot's labels are squeezed to "…" otherwise; they fit beside the axis.
  shown->setTruncateLabels(false);
  chart->addAxis(shown, Qt::AlignLeft);
  for (QAbstractAxis* axis : chart->axes()) {
    axis->setLabelsFont(style_.Labels);
    axis->setTitleFont(style_.Axis);
  }
  // Its x axis as the others'.
  const std::size_t velocity = static_cast<std::size_t>(TPlot::kVelocity);
  if (x_axes_[velocity] != nullptr && velocity != diameter) {
    x_axes_[diameter]->setRange(x_axes_[velocity]->min(), x_axes_[velocity]->max());
    x_axes_[diameter]->setTickCount(x_axes_[velocity]->tickCount());
    x_axes_[diameter]->setLabelFormat(x_axes_[velocity]->labelFormat());
  }
}

bool ProfilePlots::HasResiduals() const { return !residual_chart_->series().isEmpty(); }

bool ProfilePlots::ShowsStructure() const {
  return !Chart(TPlot::kBirefringence).series().isEmpty() ||
         !Chart(TPlot::kCrystallinity).series().isEmpty();
}

int ProfilePlots::ShownPlots() const {
  return (ShowsStructure() ? kPlotCount : kPlotCount - 2) + (HasResiduals() ? 1 : 0);
}

// Every curve's points are laid out again whenever an axis changes its range: the axes are
// fitted to all the sets first, so that each curve is laid out once.
void ProfilePlots::Show(const std::vector<TCurveSet>& sets) {
  for (QChart* chart : charts_) chart->removeAllSeries();
  residual_chart_->removeAllSeries();
  std::array<std::vector<const QList<QPointF>*>, kPlotCount> curves;
  // The ends of the measurements' bars, so that the axes hold them too.
  std::array<QList<QPointF>, kPlotCount> bar_ends;
  bool structure = false;
  for (const TCurveSet& set : sets) {
    structure = structure || !set.Curves.Birefringence.isEmpty() ||
                !set.Curves.Crystallinity.isEmpty() ||
                std::any_of(set.Points.begin(), set.Points.end(), [](const TMeasuredPoint& p) {
                  return IsStructurePlot(static_cast<std::size_t>(p.Plot));
                });
    curves[0].push_back(&set.Curves.Velocity);
    curves[1].push_back(&set.Curves.Temperature);
    curves[1].push_back(&set.Curves.AirTemperature);
    curves[2].push_back(&set.Curves.Diameter);
    curves[3].push_back(&set.Curves.Tension);
    curves[4].push_back(&set.Curves.Birefringence);
    curves[5].push_back(&set.Curves.Crystallinity);
    const std::array<const TBand*, kPlotCount> bands{
        &set.Curves.VelocityBand, &set.Curves.TemperatureBand,   &set.Curves.DiameterBand,
        &set.Curves.TensionBand,  &set.Curves.BirefringenceBand, &set.Curves.CrystallinityBand};
    for (std::size_t i = 0; i < kPlotCount; ++i) {
      curves[i].push_back(&bands[i]->Lo);
      curves[i].push_back(&bands[i]->Hi);
    }
    for (const TMeasuredPoint& point : set.Points) {
      auto& ends = bar_ends[static_cast<std::size_t>(point.Plot)];
      ends.append({point.X, point.Y - point.Sigma});
      ends.append({point.X, point.Y + point.Sigma});
    }
  }
  for (std::size_t i = 0; i < kPlotCount; ++i) curves[i].push_back(&bar_ends[i]);
  FitAxes(curves, structure);
  for (const TCurveSet& set : sets) AddSeriesOf(set);
  FitResidualAxes();
  ShowLegend();
  Layout();
}

void ProfilePlots::AddCurves(const TProfileCurves& curves, const TCurveStyle& style,
                             std::optional<double> freeze_x) {
  AddSeriesOf({curves, style, freeze_x, {}, std::nullopt});
  Finish();
}

void ProfilePlots::Clear() {
  for (QChart* chart : charts_) chart->removeAllSeries();
  residual_chart_->removeAllSeries();
  FitAxes();
  FitResidualAxes();
  Layout();
}

void ProfilePlots::AddSeriesOf(const TCurveSet& set) {
  const TProfileCurves& curves = set.Curves;
  const TCurveStyle& style = set.Style;
  const bool hollow = style.Line != Qt::SolidLine;
  QScatterSeries* residuals = nullptr;
  for (const TMeasuredPoint& point : set.Points) {
    if (!point.Normalised) continue;
    if (residuals == nullptr)
      residuals = MeasuredMarkers(*residual_chart_, style.Name, style.Colour, style_);
    residuals->append(point.X, *point.Normalised);
  }
  if (residuals != nullptr) {
    AddSeries(*residual_chart_, residuals, *residual_x_axis_, *residual_y_axis_);
  }
  const std::array<const QList<QPointF>*, kPlotCount> main_curves{
      &curves.Velocity, &curves.Temperature,   &curves.Diameter,
      &curves.Tension,  &curves.Birefringence, &curves.Crystallinity};
  const std::array<const TBand*, kPlotCount> bands{
      &curves.VelocityBand, &curves.TemperatureBand,   &curves.DiameterBand,
      &curves.TensionBand,  &curves.BirefringenceBand, &curves.CrystallinityBand};
  for (std::size_t i = 0; i < charts_.size(); ++i) {
    QChart& chart = *charts_[i];
    const QList<QPointF>& curve = *main_curves[i];
    if (!curve.isEmpty()) {
      if (!bands[i]->Lo.isEmpty()) {
        QAreaSeries* area = Band(chart, *bands[i], style.Name, style.Colour);
        chart.addSeries(area);
        area->attachAxis(x_axes_[i]);
        area->attachAxis(&YAxis(i));
      }
      AddSeries(chart, Line(chart, curve, style.Name, style.Colour, style.Line, style_.LineWidth),
                *x_axes_[i], YAxis(i));
      if (i == static_cast<std::size_t>(TPlot::kTemperature) && set.Air &&
          !curves.AirTemperature.isEmpty()) {
        // The air in the file's colour, dash-dot: one style per meaning.
        AddSeries(chart,
                  Line(chart, curves.AirTemperature, style.Name + QStringLiteral(": air"),
                       style.Colour, Qt::DashDotLine, style_.LineWidth),
                  *x_axes_[i], YAxis(i));
      }
    }
    // The measurements over the lines, their bars under their markers.
    QScatterSeries* markers = nullptr;
    for (const TMeasuredPoint& point : set.Points) {
      if (static_cast<std::size_t>(point.Plot) != i) continue;
      if (markers == nullptr) markers = MeasuredMarkers(chart, style.Name, style.Colour, style_);
      markers->append(point.X, point.Y);
      if (point.Sigma > 0.0) {
        AddSeries(chart,
                  Line(chart, {{point.X, point.Y - point.Sigma}, {point.X, point.Y + point.Sigma}},
                       QString::fromUtf8(kBarName), style.Colour, Qt::SolidLine, style_.LineWidth),
                  *x_axes_[i], YAxis(i));
      }
    }
    if (markers != nullptr) AddSeries(chart, markers, *x_axes_[i], YAxis(i));
    if (curve.isEmpty()) continue;  // measurements alone
    if (set.OnsetX && i == static_cast<std::size_t>(TPlot::kCrystallinity)) {
      if (const std::optional<double> y = ValueAt(curve, *set.OnsetX)) {
        AddSeries(chart,
                  OnsetMarker(chart, {*set.OnsetX, *y}, style.Name, style.Colour, hollow, style_),
                  *x_axes_[i], YAxis(i));
      }
    }
    if (!set.FreezeX) continue;
    if (const std::optional<double> y = ValueAt(curve, *set.FreezeX)) {
      AddSeries(chart,
                FreezeMarker(chart, {*set.FreezeX, *y}, style.Name, style.Colour, hollow, style_),
                *x_axes_[i], YAxis(i));
    }
  }
}

void ProfilePlots::ShowLegend() {
  // Every chart's own legend stays hidden, new series' markers included.
  for (QChart* chart : charts_) chart->legend()->setVisible(false);
  residual_chart_->legend()->setVisible(false);
}

void ProfilePlots::Finish() {
  ShowLegend();
  FitAxes();
  FitResidualAxes();
  Layout();
}

void ProfilePlots::resizeEvent(QResizeEvent* event) {
  QGraphicsView::resizeEvent(event);
  Layout();
}

void ProfilePlots::FitAxes() {
  // The series' points are shared with them, not copied.
  std::array<std::vector<QList<QPointF>>, kPlotCount> points;
  std::array<std::vector<const QList<QPointF>*>, kPlotCount> curves;
  for (std::size_t i = 0; i < charts_.size(); ++i) {
    for (QAbstractSeries* series : charts_[i]->series()) {
      if (const auto* xy = qobject_cast<QXYSeries*>(series)) {
        points[i].push_back(xy->points());
      } else if (const auto* area = qobject_cast<QAreaSeries*>(series)) {
        points[i].push_back(area->upperSeries()->points());
        if (area->lowerSeries() != nullptr) points[i].push_back(area->lowerSeries()->points());
      }
    }
    for (const QList<QPointF>& curve : points[i]) curves[i].push_back(&curve);
  }
  FitAxes(curves, ShowsStructure());
}

void ProfilePlots::FitAxes(const std::array<std::vector<const QList<QPointF>*>, kPlotCount>& curves,
                           bool structure) {
  // Six plots share the height that four had: fewer ticks, so that their labels still fit.
  const int y_intervals = structure ? 4 : 5;
  double x_low = std::numeric_limits<double>::infinity();
  double x_high = -x_low;
  for (std::size_t i = 0; i < charts_.size(); ++i) {
    double y_low = std::numeric_limits<double>::infinity();
    double y_high = -y_low;
    // The lowest value above 0, for a logarithmic axis.
    double y_positive = y_low;
    for (const QList<QPointF>* curve : curves[i]) {
      for (const QPointF& point : *curve) {
        x_low = std::min(x_low, point.x());
        x_high = std::max(x_high, point.x());
        y_low = std::min(y_low, point.y());
        y_high = std::max(y_high, point.y());
        if (point.y() > 0.0) y_positive = std::min(y_positive, point.y());
      }
    }
    if (y_axes_[i] != nullptr) FitAxis(*y_axes_[i], y_low, y_high, y_intervals, true);
    if (i == static_cast<std::size_t>(TPlot::kDiameter) && log_diameter_axis_ != nullptr) {
      // Whole decades around the curves: 10 to 1000 µm for a fibre of 14 from a hole of 450.
      const bool any = y_positive <= y_high && std::isfinite(y_positive);
      const double low = any ? std::pow(10.0, std::floor(std::log10(y_positive))) : 1.0;
      double high = any ? std::pow(10.0, std::ceil(std::log10(y_high))) : 1000.0;
      if (!(high > low)) high = 10.0 * low;
      log_diameter_axis_->setRange(low, high);
    }
  }
  // The spinline starts at the spinneret: the shared x axis starts there too.
  if (x_low <= x_high) {
    x_low = std::min(x_low, 0.0);
  } else {
    x_low = 0.0;
    x_high = 100.0;
  }
  // Ten steps across the window; in a figure, a label every few characters' width, so that
  // none is cut (five across a journal's column).
  int x_intervals = 10;
  if (figure_width_) {
    const qreal em = QFontMetricsF(style_.Labels).height();
    x_intervals = std::clamp(
        static_cast<int>(*figure_width_ / std::max(1, style_.Columns) / (4.5 * em)), 4, 10);
  }
  for (QValueAxis* axis : x_axes_) FitAxis(*axis, x_low, x_high, x_intervals, false);
}

void ProfilePlots::FitResidualAxes() {
  residual_x_axis_->setRange(x_axes_[0]->min(), x_axes_[0]->max());
  residual_x_axis_->setTickCount(x_axes_[0]->tickCount());
  residual_x_axis_->setLabelFormat(x_axes_[0]->labelFormat());
  // Symmetric about zero, ±3 at least: a residual within that is as good as it gets.
  double largest = 3.0;
  for (QAbstractSeries* series : residual_chart_->series()) {
    for (const QPointF& point : static_cast<QXYSeries*>(series)->points()) {
      largest = std::max(largest, std::fabs(point.y()));
    }
  }
  FitAxis(*residual_y_axis_, -largest, largest, 4, true);
}

void ProfilePlots::Layout() { LayOut(viewport()->size()); }

// Stacks the plots in columns over the size, then moves each plot area's left edge to that of
// the plot of its column with the widest axis labels, by a wider margin, so that the x axes
// line up. (A fixed plot area would leave the axes where the chart last laid them out.)
void ProfilePlots::LayOut(QSizeF size) {
  scene_->setSceneRect(QRectF(QPointF(0, 0), size));
  std::vector<QChart*> shown;
  const bool structure = ShowsStructure();
  for (std::size_t i = 0; i < charts_.size(); ++i) {
    const bool visible = !IsStructurePlot(i) || structure;
    charts_[i]->setVisible(visible);
    if (visible) shown.push_back(charts_[i]);
  }
  // The residual plot only while it has residuals: without them, not even its title.
  residual_chart_->setVisible(HasResiduals());
  if (HasResiduals()) shown.push_back(residual_chart_);
  const std::size_t columns = std::clamp<std::size_t>(
      static_cast<std::size_t>(std::max(style_.Columns, 1)), 1, shown.size());
  const std::size_t rows = (shown.size() + columns - 1) / columns;
  const qreal width = size.width() / static_cast<qreal>(columns);
  const qreal height = size.height() / static_cast<qreal>(rows);
  // Down each column first: the plots read in the order of the window's one column.
  for (std::size_t i = 0; i < shown.size(); ++i) {
    QChart& chart = *shown[i];
    const std::size_t column = i / rows;
    const std::size_t row = i % rows;
    const bool lowest = row + 1 == rows || i + 1 == shown.size();
    for (QAbstractAxis* axis : chart.axes(Qt::Horizontal)) {
      // The distance is named once per column, under its lowest plot.
      axis->setTitleText(lowest ? QString::fromUtf8(kDistanceTitle) : QString());
    }
    chart.setMargins(kChartMargins);
    chart.setGeometry(QRectF(static_cast<qreal>(column) * width, static_cast<qreal>(row) * height,
                             width, height));
    chart.layout()->activate();
  }
  for (std::size_t column = 0; column < columns; ++column) {
    qreal left = 0.0;
    const std::size_t first = column * rows;
    const std::size_t last = std::min(shown.size(), first + rows);
    for (std::size_t i = first; i < last; ++i) {
      left = std::max(left, shown[i]->plotArea().left());
    }
    for (std::size_t i = first; i < last; ++i) {
      QMargins margins = kChartMargins;
      margins.setLeft(margins.left() + qRound(left - shown[i]->plotArea().left()));
      shown[i]->setMargins(margins);
      shown[i]->layout()->activate();
    }
  }
}

TLegendContent LegendEntries(const std::vector<ProfilePlots::TCurveSet>& sets) {
  TLegendContent legend;
  std::array<bool, 8> used{};
  const auto use = [&used](TLegendKey key) { used[static_cast<std::size_t>(key)] = true; };
  for (const ProfilePlots::TCurveSet& set : sets) {
    const QString file = set.Style.File.isEmpty() ? set.Style.Name : set.Style.File;
    if (std::none_of(legend.Files.begin(), legend.Files.end(),
                     [&file](const TLegendContent::TEntry& f) { return f.Name == file; })) {
      legend.Files.push_back({file, set.Style.Colour});
    }
    const bool solid = set.Style.Line == Qt::SolidLine;
    const TProfileCurves& c = set.Curves;
    if (!c.Velocity.isEmpty()) {
      use(solid ? TLegendKey::kClassical : TLegendKey::kConverged);
      if (set.Air && !c.AirTemperature.isEmpty()) use(TLegendKey::kAir);
    }
    if (!set.Points.empty()) use(TLegendKey::kMeasured);
    if (set.FreezeX) use(solid ? TLegendKey::kFreezeClassical : TLegendKey::kFreezeConverged);
    if (set.OnsetX) use(TLegendKey::kOnset);
    for (const TBand* band : {&c.VelocityBand, &c.TemperatureBand, &c.DiameterBand, &c.TensionBand,
                              &c.BirefringenceBand, &c.CrystallinityBand}) {
      if (!band->Lo.isEmpty()) use(TLegendKey::kBand);
    }
  }
  for (std::size_t k = 0; k < used.size(); ++k) {
    if (used[k]) legend.Keys.push_back(static_cast<TLegendKey>(k));
  }
  return legend;
}

}  // namespace vellmor::gui
