// Figures for a report from vellmor --plot and the viewer: the plots alone, as vectors with
// their text as text; one tick set per axis with even decimals; cases named by what differs
// between them, many in a colour ramp with its bar; a sweep's numbers against its varied input
// with their bands; a fit's cases each in its colour with its constants.

#include <QAreaSeries>
#include <QChart>
#include <QGraphicsSimpleTextItem>
#include <QGraphicsTextItem>
#include <QLineSeries>
#include <QProcess>
#include <QRegularExpression>
#include <QScatterSeries>
#include <QStandardPaths>
#include <QValueAxis>
#include <QtTest>
#include <memory>

#include "gui/axis_ticks.h"
#include "gui/figure_colours.h"
#include "gui/figure_page.h"
#include "gui/plot_legend.h"
#include "gui/profile_plots.h"
#include "gui/sweep_figure.h"
#include "gui/t_profile_window.h"
#include "scratch_directory.h"
#include "vellmor/run/run_sequence.h"

using vellmor::gui::TPlot;
using vellmor::gui::TProfileWindow;

namespace {

struct : vellmor::MessageSink {
  void ShowMessage(std::string_view) override {}
} quiet;

// A run of the default case but for these inputs into name, through the core.
void RunInto(const QString& name, const char* take_up_speed, const char* zone2_air = "50.0") {
  vellmor::TInputTexts texts;
  texts.TakeUpSpeed = take_up_speed;
  texts.Zone2AirVelocity = zone2_air;
  texts.SaveFileName = name.toStdString();
  auto state = std::make_unique<vellmor::TRunState>();
  if (vellmor::RunSpinline(texts, *state, quiet).Status != vellmor::RunStatus::kSucceeded) {
    qFatal("the run into %s failed", qPrintable(name));
  }
}

struct PlotRun {
  int exit_code = -1;
  QString error;
};

PlotRun Plot(const QStringList& arguments) {
  QProcess process;
  process.start(QStringLiteral(VELLMOR_GUI_PATH), QStringList{"--plot"} + arguments);
  if (!process.waitForFinished(120000)) qFatal("vellmor --plot did not finish");
  return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
          QString::fromUtf8(process.readAllStandardError())};
}

// The text of a PDF as pdftotext reads it; a null text without the tool.
QString PdfText(const QString& pdf) {
  const QString tool = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
  if (tool.isEmpty()) return {};
  QProcess process;
  process.start(tool, {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
  process.waitForFinished(60000);
  return QString::fromUtf8(process.readAllStandardOutput());
}

// The page's width and height in points, from its MediaBox.
QSizeF PdfPage(const QByteArray& pdf) {
  const QRegularExpression box(QStringLiteral("/MediaBox \\[0 0 ([0-9.]+) ([0-9.]+)\\]"));
  const QRegularExpressionMatch match = box.match(QString::fromLatin1(pdf));
  return match.hasMatch() ? QSizeF(match.captured(1).toDouble(), match.captured(2).toDouble())
                          : QSizeF();
}

// The texts of an SVG's <text> elements.
QStringList SvgTexts(const QByteArray& svg) {
  QStringList texts;
  const QRegularExpression element(QStringLiteral("<text[^>]*>([^<]*)</text>"));
  for (auto it = element.globalMatch(QString::fromUtf8(svg)); it.hasNext();) {
    texts << it.next().captured(1).trimmed();
  }
  return texts;
}

// The visible texts the scene draws inside rect (scene coordinates).
QStringList SceneTexts(const QGraphicsScene& scene, const QRectF& rect) {
  QStringList texts;
  for (const QGraphicsItem* item : scene.items(rect, Qt::ContainsItemBoundingRect)) {
    if (!item->isVisible()) continue;
    if (const auto* text = dynamic_cast<const QGraphicsTextItem*>(item)) {
      texts << text->toPlainText();
    } else if (const auto* simple = dynamic_cast<const QGraphicsSimpleTextItem*>(item)) {
      texts << simple->text();
    }
  }
  return texts;
}

constexpr const char* kFitDocument = R"({"status": "fitted",
  "parameters": [{"key": "heat_transfer.factor", "estimate": 1.51e-4,
                  "wald_95": [1.49e-4, 1.53e-4], "profile_95": null}],
  "cases": [
    {"case": "slow", "inputs": {"take_up_speed": {"text": "4000.0", "value": 4000.0}},
     "residuals": [{"x_cm": 20, "quantity": "diameter_um", "measured": 30.0, "sigma": 0.5,
                    "normalised": -1.5}]},
    {"case": "fast", "inputs": {"take_up_speed": {"text": "5000.0", "value": 5000.0}},
     "residuals": [{"x_cm": 20, "quantity": "diameter_um", "measured": 26.0, "sigma": 0.5,
                    "normalised": 0.8}]}],
  "model": {"heat_transfer": {"factor": 1.51e-4}}})";

}  // namespace

class FigureTest : public QObject {
  Q_OBJECT

 private slots:
  void init();
  void cleanup() { directory_.reset(); }

  void TicksHaveOneStepAndItsDecimals();
  void PdfAndSvgHoldThePlotsAsVectorsAndText();
  void TableIsDrawnAsTextOrWrittenAsCsv();
  void LinearDiameterLeavesNoLogarithmicTicks();
  void LabelsNameWhatDiffersBetweenTheFiles();
  void ManyFilesTakeARampWithItsBar();
  void FitCasesHaveTheirColoursResidualsAndConstants();
  void StructurePlotsHaveEvenTicks();
  void SweepSummaryGivesSeriesAndBands();

 private:
  std::optional<ScratchDirectory> directory_;
};

void FigureTest::init() {
  directory_.emplace();
  RunInto(QStringLiteral("a.txt"), "5000.0");
  RunInto(QStringLiteral("b.txt"), "4000.0");
}

// Steps worked by hand: 0 … 0.126 in about 4 steps of 0.0315 rounds up to 0.05; 0 … 100 in 10
// is 10; 0 … 1 in 4 is 0.25, which needs two decimals, 0 … 10 in 4 is 2.5, one.
void FigureTest::TicksHaveOneStepAndItsDecimals() {
  using vellmor::gui::NiceTicks;
  const auto birefringence = NiceTicks(0.0, 0.126, 4, false);
  QCOMPARE(birefringence.Step, 0.05);
  QCOMPARE(birefringence.Last, 0.15);
  QCOMPARE(birefringence.Count, 4);
  QCOMPARE(birefringence.Decimals, 2);
  QCOMPARE(NiceTicks(0.0, 100.0, 10, false).Decimals, 0);
  QCOMPARE(NiceTicks(0.0, 1.0, 4, false).Step, 0.25);
  QCOMPARE(NiceTicks(0.0, 1.0, 4, false).Decimals, 2);
  QCOMPARE(NiceTicks(0.0, 10.0, 4, false).Decimals, 1);
  // Never negative, room keeps zero as the floor.
  QCOMPARE(NiceTicks(0.5, 99.0, 5, true).First, 0.0);
}

void FigureTest::PdfAndSvgHoldThePlotsAsVectorsAndText() {
  QCOMPARE(Plot({"a.txt", "b.txt", "--output", "p.pdf", "--size", "column"}).exit_code, 0);
  const QByteArray pdf = ReadAll(QStringLiteral("p.pdf"));
  QVERIFY(pdf.startsWith("%PDF-"));
  // 8.5 cm is 241 pt; no image of any kind, the fonts embedded.
  QVERIFY2(qAbs(PdfPage(pdf).width() - 241.0) <= 1.0,
           qPrintable(QString::number(PdfPage(pdf).width())));
  QVERIFY(!pdf.contains("/Subtype /Image"));
  QVERIFY(!pdf.contains("/DCTDecode"));
  QVERIFY(pdf.contains("/FontFile2"));
  const QString text = PdfText(QStringLiteral("p.pdf"));
  if (!text.isNull()) {
    QVERIFY2(text.contains("Velocity (m/min)"), qPrintable(text));
    QVERIFY(text.contains("x, distance from the spinneret (cm)"));
    // No table unless asked, no prose, no residual plot without a fit.
    QVERIFY(!text.contains("Freeze point (cm)"));
    QVERIFY(!text.contains("The freeze point: where"));
    QVERIFY(!text.contains("residual", Qt::CaseInsensitive));
  }
  QCOMPARE(Plot({"a.txt", "--output", "p.svg", "--size", "12x9"}).exit_code, 0);
  const QByteArray svg = ReadAll(QStringLiteral("p.svg"));
  QVERIFY(!svg.contains("<image"));
  // 12 cm wide, to a few µm.
  const QRegularExpressionMatch width =
      QRegularExpression(QStringLiteral("<svg width=\"([0-9.]+)mm\""))
          .match(QString::fromUtf8(svg));
  QVERIFY(width.hasMatch());
  QVERIFY2(qAbs(width.captured(1).toDouble() - 120.0) < 0.05, qPrintable(width.captured(1)));
  const QStringList texts = SvgTexts(svg);
  QVERIFY2(texts.contains(QStringLiteral("Tension (dyn)")), qPrintable(texts.join('|')));
  QVERIFY(texts.contains(QStringLiteral("Diameter (µm)")));
  // A PNG at the dots per inch asked: 12 cm at 100 dpi.
  QCOMPARE(Plot({"a.txt", "--output", "p.png", "--size", "12x9", "--dpi", "100"}).exit_code, 0);
  QCOMPARE(QImage(QStringLiteral("p.png")).width(), qCeil(12 / 2.54 * 72) * 100 / 72);
  const PlotRun wrong = Plot({"a.txt", "--output", "q.pdf", "--size", "poster"});
  QCOMPARE(wrong.exit_code, 64);
  QVERIFY(wrong.error.contains("--size poster: expected column"));
}

void FigureTest::TableIsDrawnAsTextOrWrittenAsCsv() {
  QCOMPARE(
      Plot({"a.txt", "b.txt", "--output", "t.svg", "--table", "--table-csv", "t.csv"}).exit_code,
      0);
  const QByteArray svg = ReadAll(QStringLiteral("t.svg"));
  QVERIFY(!svg.contains("<image"));
  const QStringList texts = SvgTexts(svg);
  QVERIFY(texts.contains(QStringLiteral("Freeze point (cm)")));
  // The default line freezes at 63.84 cm (the runner's number, tested in the viewer's tests).
  QVERIFY2(texts.contains(QStringLiteral("63.84")), qPrintable(texts.join('|')));
  // A result file has no structure: no empty rows of it.
  QVERIFY(!texts.contains(QStringLiteral("Birefringence")));
  const QList<QByteArray> lines = ReadAll(QStringLiteral("t.csv")).split('\n');
  QVERIFY(lines[0].startsWith("file,label,freeze_point_cm,freeze_velocity_m_min,"));
  const QList<QByteArray> a = lines[1].split(',');
  QCOMPARE(a[0], QByteArray("a.txt"));
  QCOMPARE(a[1], QByteArray("take-up speed 5000 m/min"));
  // In full, 63.84 as the table rounds it.
  QVERIFY2(qAbs(a[2].toDouble() - 63.84) <= 0.005, lines[1].constData());
  QVERIFY(lines[2].startsWith("b.txt,take-up speed 4000 m/min,"));
}

// The linear axis drawn after the logarithmic one: its own labels alone beside the plot.
void FigureTest::LinearDiameterLeavesNoLogarithmicTicks() {
  TProfileWindow window(quiet);
  QString problem;
  window.PrepareFigure(*vellmor::gui::FigurePageOf(QStringLiteral("column"), problem));
  QCOMPARE(window.AddResultFiles({"a.txt"}), QString());
  window.Plots().LayOut(QSizeF(241, 560));
  window.SetLogarithmicDiameter(false);
  window.Plots().LayOut(QSizeF(241, 560));
  const QChart& chart = window.Plots().Chart(TPlot::kDiameter);
  const auto* axis = qobject_cast<QValueAxis*>(chart.axes(Qt::Vertical).front());
  QVERIFY(axis != nullptr);
  QCOMPARE(chart.axes(Qt::Vertical).size(), 1);
  // Left of the plot area, over its height: the tick labels and nothing else.
  const QRectF plot = chart.mapRectToScene(chart.plotArea());
  const QRectF labels(chart.geometry().left(), plot.top() - 6,
                      plot.left() - chart.geometry().left(), plot.height() + 12);
  QStringList expected;
  const double step = (axis->max() - axis->min()) / (axis->tickCount() - 1);
  for (int t = 0; t < axis->tickCount(); ++t) {
    expected << QLocale().toString(axis->min() + t * step, 'f', 0);
  }
  QStringList drawn = SceneTexts(window.Plots().Scene(), labels);
  drawn.sort();
  expected.sort();
  QCOMPARE(drawn, expected);
}

void FigureTest::LabelsNameWhatDiffersBetweenTheFiles() {
  TProfileWindow window(quiet);
  QCOMPARE(window.AddResultFiles({"a.txt", "b.txt"}), QString());
  const auto& files = window.Legend().Files();
  QCOMPARE(files.size(), 2u);
  QCOMPARE(files[0].Name, QStringLiteral("take-up speed 5000 m/min"));
  QCOMPARE(files[1].Name, QStringLiteral("take-up speed 4000 m/min"));
  // The series keep the files' names.
  QVERIFY(window.Plots().Chart(TPlot::kVelocity).series().front()->name() == "a.txt");
  // Measured data has no inputs: its own name.
  WriteAll(QStringLiteral("line.csv"), "x_cm,quantity,value\n20,diameter_um,25.0\n");
  QCOMPARE(window.AddResultFiles({"line.csv"}), QString());
  QCOMPARE(window.Legend().Files()[2].Name, QStringLiteral("line.csv"));
}

// 21 speeds, 3000 to 5000 m/min by 100: 21 colours, none twice, none faint on white, and the
// ramp's bar titled by the speed in place of 21 names.
void FigureTest::ManyFilesTakeARampWithItsBar() {
  std::vector<std::string> names;
  for (int k = 0; k <= 20; ++k) {
    const QString name = QStringLiteral("s%1.txt").arg(k);
    RunInto(name, QByteArray::number(3000 + 100 * k).append(".0").constData());
    names.push_back(name.toStdString());
  }
  TProfileWindow window(quiet);
  QCOMPARE(window.AddResultFiles(names), QString());
  const vellmor::gui::TLegendContent& legend = window.Legend().Content();
  QVERIFY(legend.Bar.has_value());
  QCOMPARE(legend.Bar->Title, QStringLiteral("Take-up speed (m/min)"));
  QCOMPARE(legend.Bar->Low, 3000.0);
  QCOMPARE(legend.Bar->High, 5000.0);
  QSet<QRgb> colours;
  for (const auto& file : legend.Files) {
    colours.insert(file.Colour.rgb());
    // Relative luminance below 0.6: told from white paper.
    QVERIFY2(
        0.2126 * file.Colour.redF() + 0.7152 * file.Colour.greenF() + 0.0722 * file.Colour.blueF() <
            0.6,
        qPrintable(file.Colour.name()));
  }
  QCOMPARE(colours.size(), 21);
  // The slowest and the fastest at the ramp's ends.
  QCOMPARE(legend.Files.front().Colour, vellmor::gui::RampColour(0.0));
  QCOMPARE(legend.Files.back().Colour, vellmor::gui::RampColour(1.0));
  QCOMPARE(Plot({"s0.txt", "s1.txt", "s2.txt", "s3.txt", "s4.txt", "s5.txt", "s6.txt", "s7.txt",
                 "s8.txt", "--output", "many.svg"})
               .exit_code,
           0);
  const QStringList texts = SvgTexts(ReadAll(QStringLiteral("many.svg")));
  QVERIFY(texts.contains(QStringLiteral("Take-up speed (m/min)")));
  QVERIFY(!texts.contains(QStringLiteral("take-up speed 3000 m/min")));
  // Up to eight, the palette: no yellow.
  for (std::size_t i = 0; i < vellmor::gui::kPaletteSize; ++i) {
    QVERIFY(vellmor::gui::PaletteColour(i) != QColor(0xf0, 0xe4, 0x42));
  }
}

void FigureTest::FitCasesHaveTheirColoursResidualsAndConstants() {
  WriteAll(QStringLiteral("fit.json"), kFitDocument);
  TProfileWindow window(quiet);
  QCOMPARE(window.AddResultFiles({"fit.json"}), QString());
  const QChart& diameter = window.Plots().Chart(TPlot::kDiameter);
  const auto named = [&diameter](const char* name) -> const QScatterSeries* {
    for (QAbstractSeries* series : diameter.series()) {
      if (series->name() == QLatin1String(name)) return qobject_cast<QScatterSeries*>(series);
    }
    return nullptr;
  };
  const QScatterSeries* slow = named("fit.json: slow (fitted): measured");
  const QScatterSeries* fast = named("fit.json: fast (fitted): measured");
  QVERIFY(slow != nullptr && fast != nullptr);
  QVERIFY(slow->borderColor() != fast->borderColor());
  QCOMPARE(window.Legend().Files()[0].Name, QStringLiteral("take-up speed 4000 m/min"));
  // The residuals at the bottom, with the distance under them and their own y title.
  window.Plots().LayOut(QSizeF(482, 600));
  const QChart& residuals = window.Plots().ResidualChart();
  QVERIFY(residuals.isVisible());
  QCOMPARE(residuals.axes(Qt::Horizontal).front()->titleText(),
           QStringLiteral("x, distance from the spinneret (cm)"));
  QVERIFY(!residuals.axes(Qt::Vertical).front()->titleText().isEmpty());
  QString problem;
  const TProfileWindow::TFigureOptions page{
      *vellmor::gui::FigurePageOf(QStringLiteral("page"), problem), 96, true};
  QCOMPARE(window.WriteFigure(QStringLiteral("fit.svg"), page), QString());
  const QStringList texts = SvgTexts(ReadAll(QStringLiteral("fit.svg")));
  QVERIFY(texts.contains(QStringLiteral("heat_transfer.factor")));
  QVERIFY2(texts.contains(QStringLiteral("0.000149 to 0.000153 (Wald)")),
           qPrintable(texts.join('|')));
  // Nothing but the fit: no table of process numbers with labels and no data.
  QVERIFY(!texts.contains(QStringLiteral("Process numbers")));
}

void FigureTest::StructurePlotsHaveEvenTicks() {
  WriteAll(QStringLiteral("solve.json"), R"({"schema_version": 3, "status": "succeeded",
    "process_numbers": {"freeze_point_cm": 45.0, "freeze_velocity_m_min": 4000.0,
      "freeze_tension_dyn": 300.0, "freeze_stress_MPa": 20.0, "take_up_tension_dyn": 500.0,
      "fineness_dtex": 2.0, "fineness_denier": 1.8, "draw_down_ratio": 900.0,
      "residence_time_s": 0.3, "max_strain_rate_1_s": 300.0, "max_strain_rate_at_cm": 25.0,
      "final_diameter_um": 14.0, "final_temperature_C": 33.0, "spinneret_tension_dyn": 40.0,
      "passes": 12},
    "profile": {"x_cm": [0, 20, 40, 60], "v_m_min": [6, 2000, 4500, 5000],
      "f_dyn": [40, 100, 250, 400], "t_C": [290, 200, 100, 60], "d_um": [400, 20, 15, 14],
      "ta_C": [270, 30, 25, 20], "birefringence": [0, 0.05, 0.12, 0.122],
      "crystallinity": [0, 0, 0, 0.04]},
    "structure": {"birefringence": 0.122, "orientation": 0.44, "crystallinity": 0.04,
      "onset_cm": 50.0}, "model": {}})");
  TProfileWindow window(quiet);
  QCOMPARE(window.AddResultFiles({"solve.json"}), QString());
  // 0 … 0.122 with room: steps of 0.05 to 0.15, two decimals each (0.00, 0.05, 0.10, 0.15).
  const auto* axis = qobject_cast<QValueAxis*>(
      window.Plots().Chart(TPlot::kBirefringence).axes(Qt::Vertical).front());
  QCOMPARE(axis->labelFormat(), QStringLiteral("%.2f"));
  QCOMPARE(axis->tickCount(), 4);
  QCOMPARE(axis->max(), 0.15);
}

// A quench study's summary, made by hand: the freeze point against the speed at two air
// velocities, with its interval.
void FigureTest::SweepSummaryGivesSeriesAndBands() {
  WriteAll(QStringLiteral("quench.csv"),
           "case,take_up_speed,zone2_air_velocity,status,message,passes,freeze_point_cm,"
           "warnings,freeze_point_cm_lo,freeze_point_cm_hi\n"
           "1,3000,30,succeeded,,11,64.5,,63.5,65.5\n2,3000,60,succeeded,,10,63.5,,62.5,64.5\n"
           "3,5000,30,succeeded,,11,62.0,,61.0,63.0\n4,5000,60,succeeded,,11,61.0,,60.0,62.0\n");
  const PlotRun run = Plot({"quench.csv", "--x", "take_up_speed", "--y", "freeze_point_cm", "--by",
                            "zone2_air_velocity", "--output", "quench.svg"});
  QCOMPARE(run.exit_code, 0);
  const QByteArray svg = ReadAll(QStringLiteral("quench.svg"));
  QVERIFY(!svg.contains("<image"));
  const QStringList texts = SvgTexts(svg);
  for (const char* label : {"zone 2 air 30 cm/s", "zone 2 air 60 cm/s", "Freeze point (cm)",
                            "Take-up speed (m/min)", "95 % interval"}) {
    QVERIFY2(texts.contains(QString::fromUtf8(label)), label);
  }
  const PlotRun wrong =
      Plot({"quench.csv", "--x", "take_up_speed", "--y", "birefringence", "--output", "w.svg"});
  QCOMPARE(wrong.exit_code, 64);
  QVERIFY(wrong.error.contains("the summary has no column birefringence"));
  QCOMPARE(Plot({"a.txt", "--x", "take_up_speed", "--y", "freeze_point_cm", "--output", "w.svg"})
               .exit_code,
           1);

  // In the figure: per air velocity a line of two cases, their band between the bounds.
  const vellmor::TSweepSummary summary = std::get<vellmor::TSweepSummary>(
      vellmor::ReadSweepSummary(ReadAll(QStringLiteral("quench.csv")).toStdString(), "q"));
  QString problem;
  vellmor::gui::SweepFigure figure(
      std::get<vellmor::TSweepFigureData>(vellmor::SweepFigureData(
          summary, "take_up_speed", {"freeze_point_cm"}, "zone2_air_velocity")),
      vellmor::gui::FigurePlotStyle(*vellmor::gui::FigurePageOf("column", problem)));
  QCOMPARE(figure.Charts().size(), 1u);
  const QChart& chart = *figure.Charts().front();
  const QLineSeries* fast_air = nullptr;
  const QAreaSeries* band = nullptr;
  for (QAbstractSeries* series : chart.series()) {
    if (series->name() == "zone 2 air 60 cm/s") fast_air = qobject_cast<QLineSeries*>(series);
    if (series->name() == "zone 2 air 60 cm/s: 95 % band")
      band = qobject_cast<QAreaSeries*>(series);
  }
  QVERIFY(fast_air != nullptr && band != nullptr);
  QCOMPARE(fast_air->points(), (QList<QPointF>{{3000, 63.5}, {5000, 61.0}}));
  QCOMPARE(band->upperSeries()->points(), (QList<QPointF>{{3000, 64.5}, {5000, 62.0}}));
  QCOMPARE(band->lowerSeries()->points(), (QList<QPointF>{{3000, 62.5}, {5000, 60.0}}));
}

QTEST_MAIN(FigureTest)
#include "figure_test.moc"
