#include "gui/profile_plots.h"

#include <QAreaSeries>
#include <QChart>
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
  const char* name;          // object name of the chart
  const char* title;         // with the unit
  const char* label_format;  // of the y axis
};

constexpr std::array<TPlotLayout, kPlotCount> kPlots{{
    {"VelocityChart", "Velocity (m/min)", "%.0f"},
    {"TemperatureChart", "Temperature (°C): filament, cooling air dash-dot", "%.0f"},
    {"DiameterChart", "Diameter (µm)", "%.0f"},
    {"TensionChart", "Tension (dyn)", "%.0f"},
    {"BirefringenceChart", "Birefringence (frozen in at the freeze point)", "%.2f"},
    {"CrystallinityChart", "Crystallinity (mass fraction): ▲ onset at 1 %", "%.3f"},
}};

constexpr bool IsStructurePlot(std::size_t plot) {
  return plot >= static_cast<std::size_t>(TPlot::kBirefringence);
}

constexpr int kTitlePixelSize = 12;
constexpr qreal kLineWidth = 1.6;
constexpr qreal kMarkerSize = 9.0;
constexpr QMargins kChartMargins{4, 0, 12, 0};

// Adds series to the plot on its two axes.
void AddSeries(QChart& chart, QXYSeries* series, QAbstractAxis& x_axis, QAbstractAxis& y_axis) {
  chart.addSeries(series);
  series->attachAxis(&x_axis);
  series->attachAxis(&y_axis);
}

QLineSeries* Line(QChart& chart, const QList<QPointF>& points, const QString& name,
                  const QColor& colour, Qt::PenStyle line) {
  auto* series = new QLineSeries(&chart);
  series->setName(name);
  series->append(points);
  QPen pen(colour, kLineWidth, line);
  pen.setCapStyle(Qt::FlatCap);
  series->setPen(pen);
  return series;
}

// A point marked on a curve: filled in the set's colour for a result file, hollow (white,
// ringed in that colour) for the converged model, so that a file's two are told apart.
QScatterSeries* PointMarker(QChart& chart, const QPointF& at, const QString& name,
                            const QColor& colour, bool hollow, QScatterSeries::MarkerShape shape,
                            qreal size) {
  auto* marker = new QScatterSeries(&chart);
  marker->setName(name);
  marker->setMarkerShape(shape);
  marker->setMarkerSize(size);
  marker->setColor(hollow ? QColor(Qt::white) : colour);
  marker->setPen(QPen(hollow ? colour : QColor(Qt::black), hollow ? 2.0 : 1.0));
  marker->append(at);
  return marker;
}

// The freeze point on one plot: a circle.
QScatterSeries* FreezeMarker(QChart& chart, const QPointF& at, const QString& name,
                             const QColor& colour, bool hollow) {
  return PointMarker(chart, at, name + QStringLiteral(": freeze point"), colour, hollow,
                     QScatterSeries::MarkerShapeCircle, kMarkerSize);
}

// The onset of crystallization on the crystallinity plot: a triangle.
QScatterSeries* OnsetMarker(QChart& chart, const QPointF& at, const QString& name,
                            const QColor& colour, bool hollow) {
  return PointMarker(chart, at, name + QStringLiteral(": onset of crystallization"), colour, hollow,
                     QScatterSeries::MarkerShapeTriangle, kMarkerSize * 1.2);
}

// A measurement: a hollow square in the set's colour.
QScatterSeries* MeasuredMarkers(QChart& chart, const QString& name, const QColor& colour) {
  auto* markers = new QScatterSeries(&chart);
  markers->setName(name + QStringLiteral(": measured"));
  markers->setMarkerShape(QScatterSeries::MarkerShapeRectangle);
  markers->setMarkerSize(kMarkerSize * 0.8);
  markers->setColor(Qt::transparent);
  markers->setBorderColor(colour);
  QPen pen(colour, kLineWidth);
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

// The tick step for a span of about `intervals` steps: 1, 2, 2.5 or 5 times a power of ten.
double TickStep(double span, int intervals) {
  const double rough = span / intervals;
  const double power = std::pow(10.0, std::floor(std::log10(rough)));
  for (const double factor : {1.0, 2.0, 2.5, 5.0}) {
    if (factor * power >= rough) return factor * power;
  }
  return 10.0 * power;
}

// A range of whole tick steps around low … high, with a tick at each step. With room, no
// curve runs along the frame; a quantity that is never negative keeps zero as its floor.
void FitAxis(QValueAxis& axis, double low, double high, int intervals, bool room) {
  if (!(low <= high)) {
    low = 0.0;
    high = 1.0;
  }
  if (high - low < 1e-9 * std::max(1.0, std::abs(high))) {
    low -= 1.0;
    high += 1.0;
  }
  if (room) {
    const double margin = (high - low) * 0.03;
    low = low >= 0.0 ? std::max(low - margin, 0.0) : low - margin;
    high += margin;
  }
  const double step = TickStep(high - low, intervals);
  const double first = std::floor(low / step) * step;
  const double last = std::ceil(high / step) * step;
  axis.setRange(first, last);
  axis.setTickCount(static_cast<int>(std::lround((last - first) / step)) + 1);
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
  for (std::size_t i = 0; i < charts_.size(); ++i) {
    auto* chart = new QChart();
    chart->setObjectName(QString::fromLatin1(kPlots[i].name));
    chart->setTitle(QString::fromUtf8(kPlots[i].title));
    chart->setTitleFont(title_font);
    chart->setBackgroundRoundness(0);
    chart->setMargins(kChartMargins);
    chart->layout()->setContentsMargins(0, 0, 0, 0);
    // Axis labels in the user's number format, as the window's fields are read.
    chart->setLocalizeNumbers(true);
    // The figure's one legend is a widget of its own above the plots (PlotLegend).
    chart->legend()->setVisible(false);
    auto* x_axis = new QValueAxis(chart);
    x_axis->setLabelFormat(QStringLiteral("%.0f"));
    auto* y_axis = new QValueAxis(chart);
    y_axis->setLabelFormat(QString::fromLatin1(kPlots[i].label_format));
    // A short plot's labels are squeezed to "…" otherwise; they fit beside the axis.
    y_axis->setTruncateLabels(false);
    chart->addAxis(x_axis, Qt::AlignBottom);
    chart->addAxis(y_axis, Qt::AlignLeft);
    scene_->addItem(chart);
    charts_[i] = chart;
    x_axes_[i] = x_axis;
    y_axes_[i] = y_axis;
  }
  // The diameter's logarithmic axis, waiting beside its linear one.
  log_diameter_axis_ = new QLogValueAxis(this);
  log_diameter_axis_->setBase(10.0);
  log_diameter_axis_->setLabelFormat(QStringLiteral("%.0f"));
  log_diameter_axis_->setMinorTickCount(8);
  log_diameter_axis_->setTruncateLabels(false);
  UseDiameterAxis();
  residual_chart_ = new QChart();
  residual_chart_->setObjectName(QStringLiteral("ResidualChart"));
  residual_chart_->setTitle(QStringLiteral("Fit residual (model − measured) / σ"));
  residual_chart_->setTitleFont(title_font);
  residual_chart_->setBackgroundRoundness(0);
  residual_chart_->setMargins(kChartMargins);
  residual_chart_->layout()->setContentsMargins(0, 0, 0, 0);
  residual_chart_->setLocalizeNumbers(true);
  residual_chart_->legend()->setVisible(false);
  residual_x_axis_ = new QValueAxis(residual_chart_);
  residual_x_axis_->setLabelFormat(QStringLiteral("%.0f"));
  residual_y_axis_ = new QValueAxis(residual_chart_);
  residual_y_axis_->setLabelFormat(QStringLiteral("%.0f"));
  residual_chart_->addAxis(residual_x_axis_, Qt::AlignBottom);
  residual_chart_->addAxis(residual_y_axis_, Qt::AlignLeft);
  scene_->addItem(residual_chart_);
  FitAxes();
}

ProfilePlots::~ProfilePlots() = default;

QAbstractAxis& ProfilePlots::YAxis(std::size_t plot) const {
  if (plot == static_cast<std::size_t>(TPlot::kDiameter) && log_diameter_) {
    return *log_diameter_axis_;
  }
  return *y_axes_[plot];
}

void ProfilePlots::SetLogarithmicDiameter(bool logarithmic) {
  if (logarithmic == log_diameter_) return;
  Chart(TPlot::kDiameter).removeAllSeries();
  log_diameter_ = logarithmic;
  UseDiameterAxis();
}

// The diameter plot holds the axis chosen and not the other; the one taken off stays the
// view's.
void ProfilePlots::UseDiameterAxis() {
  QChart& chart = Chart(TPlot::kDiameter);
  QAbstractAxis* shown = log_diameter_ ? static_cast<QAbstractAxis*>(log_diameter_axis_)
                                       : y_axes_[static_cast<std::size_t>(TPlot::kDiameter)];
  for (QAbstractAxis* axis : chart.axes(Qt::Vertical)) {
    if (axis != shown) {
      chart.removeAxis(axis);
      axis->setParent(this);
    }
  }
  if (!chart.axes(Qt::Vertical).contains(shown)) chart.addAxis(shown, Qt::AlignLeft);
}

bool ProfilePlots::HasResiduals() const { return !residual_chart_->series().isEmpty(); }

bool ProfilePlots::ShowsStructure() const {
  return !Chart(TPlot::kBirefringence).series().isEmpty() ||
         !Chart(TPlot::kCrystallinity).series().isEmpty();
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
      residuals = MeasuredMarkers(*residual_chart_, style.Name, style.Colour);
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
    QScatterSeries* markers = nullptr;
    for (const TMeasuredPoint& point : set.Points) {
      if (static_cast<std::size_t>(point.Plot) != i) continue;
      if (markers == nullptr) markers = MeasuredMarkers(chart, style.Name, style.Colour);
      markers->append(point.X, point.Y);
      if (point.Sigma > 0.0) {
        AddSeries(chart,
                  Line(chart, {{point.X, point.Y - point.Sigma}, {point.X, point.Y + point.Sigma}},
                       QString::fromUtf8(kBarName), style.Colour, Qt::SolidLine),
                  *x_axes_[i], YAxis(i));
      }
    }
    if (markers != nullptr) AddSeries(chart, markers, *x_axes_[i], YAxis(i));
    const QList<QPointF>& curve = *main_curves[i];
    if (curve.isEmpty()) continue;  // measurements alone
    if (!bands[i]->Lo.isEmpty()) {
      QAreaSeries* area = Band(chart, *bands[i], style.Name, style.Colour);
      chart.addSeries(area);
      area->attachAxis(x_axes_[i]);
      area->attachAxis(&YAxis(i));
    }
    AddSeries(chart, Line(chart, curve, style.Name, style.Colour, style.Line), *x_axes_[i],
              YAxis(i));
    if (i == static_cast<std::size_t>(TPlot::kTemperature) && set.Air &&
        !curves.AirTemperature.isEmpty()) {
      // The air in the file's colour, dash-dot: one style per meaning.
      AddSeries(chart,
                Line(chart, curves.AirTemperature, style.Name + QStringLiteral(": air"),
                     style.Colour, Qt::DashDotLine),
                *x_axes_[i], YAxis(i));
    }
    if (set.OnsetX && i == static_cast<std::size_t>(TPlot::kCrystallinity)) {
      if (const std::optional<double> y = ValueAt(curve, *set.OnsetX)) {
        AddSeries(chart, OnsetMarker(chart, {*set.OnsetX, *y}, style.Name, style.Colour, hollow),
                  *x_axes_[i], YAxis(i));
      }
    }
    if (!set.FreezeX) continue;
    if (const std::optional<double> y = ValueAt(curve, *set.FreezeX)) {
      AddSeries(chart, FreezeMarker(chart, {*set.FreezeX, *y}, style.Name, style.Colour, hollow),
                *x_axes_[i], YAxis(i));
    }
  }
}

void ProfilePlots::ShowLegend() {
  // Every chart's own legend stays hidden, new series' markers included.
  for (QChart* chart : charts_) chart->legend()->setVisible(false);
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
  const int y_intervals = structure ? 3 : 5;
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
    FitAxis(*y_axes_[i], y_low, y_high, y_intervals, true);
    if (i == static_cast<std::size_t>(TPlot::kDiameter)) {
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
  for (QValueAxis* axis : x_axes_) FitAxis(*axis, x_low, x_high, 10, false);
}

void ProfilePlots::FitResidualAxes() {
  residual_x_axis_->setRange(x_axes_[0]->min(), x_axes_[0]->max());
  residual_x_axis_->setTickCount(x_axes_[0]->tickCount());
  // Symmetric about zero, ±3 at least: a residual within that is as good as it gets.
  double largest = 3.0;
  for (QAbstractSeries* series : residual_chart_->series()) {
    for (const QPointF& point : static_cast<QXYSeries*>(series)->points()) {
      largest = std::max(largest, std::fabs(point.y()));
    }
  }
  FitAxis(*residual_y_axis_, -largest, largest, 4, true);
}

// Stacks the plots over the view's height, then moves each plot area's left edge to that of
// the plot with the widest axis labels, by a wider margin, so that the x axes line up. (A
// fixed plot area would leave the axes where the chart last laid them out.)
void ProfilePlots::Layout() {
  const QSizeF size = viewport()->size();
  scene_->setSceneRect(QRectF(QPointF(0, 0), size));
  std::vector<QChart*> shown;
  const bool structure = ShowsStructure();
  for (std::size_t i = 0; i < charts_.size(); ++i) {
    const bool visible = !IsStructurePlot(i) || structure;
    charts_[i]->setVisible(visible);
    if (visible) {
      shown.push_back(charts_[i]);
    } else {
      charts_[i]->setGeometry(QRectF(0, size.height(), size.width(), 0));
    }
  }
  // The distance is named once, under the lowest plot of the line.
  for (std::size_t i = 0; i < charts_.size(); ++i) {
    x_axes_[i]->setTitleText(charts_[i] == shown.back()
                                 ? QStringLiteral("x, distance from the spinneret (cm)")
                                 : QString());
  }
  // The residual plot takes a share of the height only while it has residuals to show.
  if (HasResiduals()) {
    shown.push_back(residual_chart_);
  } else {
    residual_chart_->setGeometry(QRectF(0, size.height(), size.width(), 0));
  }
  const qreal height = size.height() / static_cast<qreal>(shown.size());
  for (std::size_t i = 0; i < shown.size(); ++i) {
    QChart& chart = *shown[i];
    chart.setMargins(kChartMargins);
    chart.setGeometry(QRectF(0, static_cast<qreal>(i) * height, size.width(), height));
    chart.layout()->activate();
  }
  qreal left = 0.0;
  for (const QChart* chart : shown) left = std::max(left, chart->plotArea().left());
  for (QChart* chart : shown) {
    QMargins margins = kChartMargins;
    margins.setLeft(margins.left() + qRound(left - chart->plotArea().left()));
    chart->setMargins(margins);
    chart->layout()->activate();
  }
}

void LegendEntries(const std::vector<ProfilePlots::TCurveSet>& sets,
                   std::vector<PlotLegend::TFile>& files, std::vector<TLegendKey>& keys) {
  files.clear();
  keys.clear();
  std::array<bool, 7> used{};
  const auto use = [&used](TLegendKey key) { used[static_cast<std::size_t>(key)] = true; };
  for (const ProfilePlots::TCurveSet& set : sets) {
    const QString file = set.Style.File.isEmpty() ? set.Style.Name : set.Style.File;
    if (std::none_of(files.begin(), files.end(),
                     [&file](const PlotLegend::TFile& f) { return f.Name == file; })) {
      files.push_back({file, set.Style.Colour});
    }
    const bool solid = set.Style.Line == Qt::SolidLine;
    if (!set.Curves.Velocity.isEmpty()) {
      use(solid ? TLegendKey::kClassical : TLegendKey::kConverged);
      if (set.Air && !set.Curves.AirTemperature.isEmpty()) use(TLegendKey::kAir);
    }
    if (!set.Points.empty()) use(TLegendKey::kMeasured);
    if (set.FreezeX) use(solid ? TLegendKey::kFreezeClassical : TLegendKey::kFreezeConverged);
    if (set.OnsetX) use(TLegendKey::kOnset);
  }
  for (std::size_t k = 0; k < used.size(); ++k) {
    if (used[k]) keys.push_back(static_cast<TLegendKey>(k));
  }
}

}  // namespace vellmor::gui
