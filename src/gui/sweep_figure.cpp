#include "gui/sweep_figure.h"

#include <QAreaSeries>
#include <QChart>
#include <QGraphicsLayout>
#include <QLegend>
#include <QLineSeries>
#include <QScatterSeries>
#include <QValueAxis>
#include <algorithm>
#include <cmath>
#include <limits>

#include "gui/axis_ticks.h"
#include "gui/figure_colours.h"
#include "vellmor/documents/varied_inputs.h"

namespace vellmor::gui {
namespace {

constexpr QMargins kMargins{4, 0, 12, 0};

// The label of a group: its input and value ("zone 2 air 30 cm/s").
QString GroupName(const TSweepFigureData& data, const TSweepSeries& series) {
  if (data.By.empty() || !series.By)
    return QString::fromStdString(SummaryColumnTitle(data.Panels.front().Key));
  return QString::fromStdString(InputLabel(data.By, *series.By));
}

}  // namespace

SweepFigure::SweepFigure(const TSweepFigureData& data, const TPlotStyle& style)
    : x_title_(QString::fromStdString(SummaryColumnTitle(data.X))), columns_(style.Columns) {
  // Every panel has the same groups: their colours from the first's.
  std::vector<std::optional<double>> groups;
  if (!data.Panels.empty()) {
    for (const TSweepSeries& series : data.Panels.front().Series) groups.push_back(series.By);
  }
  const std::vector<QColor> colours = CaseColours(groups);
  const auto colour_of = [&](const TSweepSeries& series) {
    const auto at = std::find(groups.begin(), groups.end(), series.By);
    return at == groups.end() ? QColor(Qt::black)
                              : colours[static_cast<std::size_t>(at - groups.begin())];
  };
  bool bands = false;
  for (const TSweepPanel& panel : data.Panels) {
    auto* chart = new QChart();
    chart->setObjectName(QString::fromStdString(panel.Key));
    chart->setTitle(QString::fromStdString(SummaryColumnTitle(panel.Key)));
    chart->setTitleFont(style.Title);
    chart->setBackgroundRoundness(0);
    chart->setMargins(kMargins);
    chart->layout()->setContentsMargins(0, 0, 0, 0);
    chart->setLocalizeNumbers(true);
    chart->legend()->setVisible(false);
    auto* x_axis = new QValueAxis(chart);
    auto* y_axis = new QValueAxis(chart);
    for (QValueAxis* axis : {x_axis, y_axis}) {
      axis->setLabelsFont(style.Labels);
      axis->setTitleFont(style.Axis);
      axis->setTruncateLabels(false);
    }
    chart->addAxis(x_axis, Qt::AlignBottom);
    chart->addAxis(y_axis, Qt::AlignLeft);
    double x_low = std::numeric_limits<double>::infinity();
    double x_high = -x_low;
    double y_low = x_low;
    double y_high = -x_low;
    for (const TSweepSeries& series : panel.Series) {
      for (const TSweepPoint& p : series.Points) {
        x_low = std::min(x_low, p.X);
        x_high = std::max(x_high, p.X);
        y_low = std::min({y_low, p.Y, p.Lo.value_or(p.Y)});
        y_high = std::max({y_high, p.Y, p.Hi.value_or(p.Y)});
      }
    }
    // The axes first: every series is laid out once.
    ApplyTicks(*x_axis, NiceTicks(x_low, x_high, 6, true));
    ApplyTicks(*y_axis, NiceTicks(y_low, y_high, 5, true));
    for (const TSweepSeries& series : panel.Series) {
      const QColor colour = colour_of(series);
      const QString name = GroupName(data, series);
      QList<QPointF> lo, hi, line;
      for (const TSweepPoint& p : series.Points) {
        line.append({p.X, p.Y});
        if (p.Lo && p.Hi) {
          lo.append({p.X, *p.Lo});
          hi.append({p.X, *p.Hi});
        }
      }
      if (!lo.isEmpty()) {
        auto* upper = new QLineSeries(chart);
        upper->append(hi);
        auto* lower = new QLineSeries(chart);
        lower->append(lo);
        auto* area = new QAreaSeries(upper, lower);
        area->setParent(chart);
        area->setName(name + QStringLiteral(": 95 % band"));
        QColor fill = colour;
        fill.setAlpha(56);
        area->setBrush(fill);
        area->setPen(Qt::NoPen);
        chart->addSeries(area);
        area->attachAxis(x_axis);
        area->attachAxis(y_axis);
        bands = true;
      }
      auto* curve = new QLineSeries(chart);
      curve->setName(name);
      curve->append(line);
      curve->setPen(QPen(colour, style.LineWidth));
      chart->addSeries(curve);
      curve->attachAxis(x_axis);
      curve->attachAxis(y_axis);
      auto* markers = new QScatterSeries(chart);
      markers->setName(name + QStringLiteral(": cases"));
      markers->setMarkerShape(QScatterSeries::MarkerShapeCircle);
      markers->setMarkerSize(style.MarkerSize * 0.8);
      markers->setColor(colour);
      markers->setPen(QPen(Qt::white, 0.5 * style.LineWidth));
      markers->append(line);
      chart->addSeries(markers);
      markers->attachAxis(x_axis);
      markers->attachAxis(y_axis);
    }
    scene_.addItem(chart);
    charts_.push_back(chart);
  }
  if (!data.By.empty()) {
    for (std::size_t g = 0; g < groups.size(); ++g) {
      legend_.Files.push_back({groups[g]
                                   ? QString::fromStdString(InputLabel(data.By, *groups[g]))
                                   : QStringLiteral("no %1").arg(QString::fromStdString(data.By)),
                               colours[g]});
    }
    if (groups.size() > kPaletteSize) {
      const auto [low, high] = std::minmax_element(groups.begin(), groups.end());
      legend_.Bar = TColourBar{QString::fromStdString(InputTitle(data.By)), low->value_or(0.0),
                               high->value_or(1.0)};
    }
  }
  if (bands) legend_.Keys.push_back(TLegendKey::kBand);
}

SweepFigure::~SweepFigure() {
  // The charts are the scene's items: removed with it.
}

void SweepFigure::LayOut(QSizeF size) {
  scene_.setSceneRect(QRectF(QPointF(0, 0), size));
  if (charts_.empty()) return;
  const std::size_t columns =
      std::clamp<std::size_t>(static_cast<std::size_t>(std::max(columns_, 1)), 1, charts_.size());
  const std::size_t rows = (charts_.size() + columns - 1) / columns;
  const qreal width = size.width() / static_cast<qreal>(columns);
  const qreal height = size.height() / static_cast<qreal>(rows);
  for (std::size_t i = 0; i < charts_.size(); ++i) {
    QChart& chart = *charts_[i];
    const std::size_t row = i % rows;
    const bool lowest = row + 1 == rows || i + 1 == charts_.size();
    for (QAbstractAxis* axis : chart.axes(Qt::Horizontal)) {
      axis->setTitleText(lowest ? x_title_ : QString());
    }
    chart.setMargins(kMargins);
    chart.setGeometry(QRectF(static_cast<qreal>(i / rows) * width, static_cast<qreal>(row) * height,
                             width, height));
    chart.layout()->activate();
  }
  qreal left = 0.0;
  for (QChart* chart : charts_) left = std::max(left, chart->plotArea().left());
  for (QChart* chart : charts_) {
    QMargins margins = kMargins;
    margins.setLeft(margins.left() + qRound(left - chart->plotArea().left()));
    chart->setMargins(margins);
    chart->layout()->activate();
  }
}

}  // namespace vellmor::gui
