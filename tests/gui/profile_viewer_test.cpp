// The profile viewer: opened from the main window's file list, overlaying files, marking the
// freeze point, refusing what is not a result file, and vellmor --plot.

#include <sys/stat.h>
#include <QAreaSeries>
#include <QChart>
#include <QCheckBox>
#include <QDir>
#include <QImage>
#include <QLabel>
#include <QLegend>
#include <QLegendMarker>
#include <QLineEdit>
#include <QLineSeries>
#include <QListWidget>
#include <QLogValueAxis>
#include <QProcess>
#include <QPushButton>
#include <QScatterSeries>
#include <QValueAxis>
#include <QtTest>
#include <optional>
#include <string>
#include <vector>

#include "forms_fixture.h"
#include "gui/plot_legend.h"
#include "gui/process_numbers_table.h"
#include "gui/profile_plots.h"
#include "gui/t_profile_window.h"
#include "modal_closer.h"
#include "support/default_result_header.h"
#include "vellmor/report/format_fixed.h"
#include "vellmor/run/run_sequence.h"

using vellmor::gui::TPlot;
using vellmor::gui::TProfileWindow;

namespace {

QByteArray ResultFileOf(const std::vector<std::string>& rows) {
  std::vector<std::string> lines = vellmor::test::kDefaultHeader;
  lines.insert(lines.end(), rows.begin(), rows.end());
  return QByteArray::fromStdString(vellmor::test::Joined(lines));
}

// A made-up spinline of three points worked by hand: V = 6, 60, 600 m/min; F = 5, 6, 8 dyn;
// T = 90, 80, 60 °C; D = 400, 130, 40 µm. T falls through 70 °C halfway between the last two
// points: at x = 15 cm, where V = 330 m/min, D = 85 µm and F = 7 dyn.
const QByteArray kThreePointFile = ResultFileOf({
    "   0.0     6.0    5.000   90.0  0.04000   20.0  0.00100  0.0000  0.0057",
    "  10.0    60.0    6.000   80.0  0.01300   20.0  0.00100  0.0000  0.0068",
    "  20.0   600.0    8.000   60.0  0.00400   20.0  0.00100  0.0001  0.0091",
    "",
    "",
});

// The header of a run that failed before its table, and a text that is no result file.
const QByteArray kHeaderOnlyFile = ResultFileOf({});
const QByteArray kNotes = "hello\r\n";

// A real run of the default case into name, with the given take-up speed and zone 1 air
// parameters, made through the core.
void RunInto(const QString& name, const char* take_up_speed, const char* zone1_a1 = "16087.5",
             const char* zone1_a2 = "-32.5") {
  struct : vellmor::MessageSink {
    void ShowMessage(std::string_view) override {}
  } quiet;
  vellmor::TInputTexts texts;
  texts.TakeUpSpeed = take_up_speed;
  texts.Zone1A1 = zone1_a1;
  texts.Zone1A2 = zone1_a2;
  texts.SaveFileName = name.toStdString();
  auto state = std::make_unique<vellmor::TRunState>();
  if (vellmor::RunSpinline(texts, *state, quiet).Status != vellmor::RunStatus::kSucceeded) {
    qFatal("the run into %s failed", qPrintable(name));
  }
}

QList<QPointF> FreezeMarkers(const QChart& chart) {
  QList<QPointF> points;
  for (QAbstractSeries* series : chart.series()) {
    if (auto* scatter = qobject_cast<QScatterSeries*>(series)) points << scatter->points();
  }
  return points;
}

// The lines of a chart drawn with a pen of that style.
int LineCount(const QChart& chart, Qt::PenStyle style) {
  int lines = 0;
  for (QAbstractSeries* series : chart.series()) {
    if (series->type() == QAbstractSeries::SeriesTypeLine &&
        static_cast<QXYSeries*>(series)->pen().style() == style) {
      ++lines;
    }
  }
  return lines;
}

const QXYSeries* SeriesNamed(const QChart& chart, const QString& name) {
  for (QAbstractSeries* series : chart.series()) {
    if (series->name() == name) return static_cast<QXYSeries*>(series);
  }
  return nullptr;
}

// The default case from an independent script (fixed-step RK4 with every coefficient at each
// stage, Richardson over 0.02 and 0.01 cm): the converged spinneret tension (dyn).
constexpr double kConvergedTension = 40.4367662686;

// Rows of the numbers table under the process numbers: the fibre's structure, then the
// converged solution's.
constexpr int kBirefringenceRow = 8;
constexpr int kCrystallinityRow = 10;
constexpr int kOnsetRow = 11;
constexpr int kConvergedTensionRow = 12;
constexpr int kTensionErrorRow = 13;
constexpr int kConvergedFreezeRow = 14;
constexpr int kFirstKnobRow = 15;

// A made-up export of the converged model with the fibre's structure, four points: the
// crystallinity rises from 0 at 40 cm to 0.04 at 60 cm, so that on the line between them it is
// 0.02 at the onset of 50 cm.
constexpr const char* kStructureDocument = R"({"format_version": 1, "status": "succeeded",
  "process_numbers": {"freeze_point_cm": 45.0, "freeze_velocity_m_min": 4000.0,
    "freeze_tension_dyn": 300.0, "freeze_stress_MPa": 20.0, "take_up_tension_dyn": 500.0,
    "fineness_dtex": 2.0, "fineness_denier": 1.8, "draw_down_ratio": 900.0,
    "residence_time_s": 0.3, "max_strain_rate_1_s": 300.0, "max_strain_rate_at_cm": 25.0,
    "final_diameter_um": 14.0, "final_temperature_C": 33.0, "spinneret_tension_dyn": 40.0,
    "passes": 12},
  "profile": {"x_cm": [0, 20, 40, 60], "v_m_min": [6, 2000, 4500, 5000],
    "f_dyn": [40, 100, 250, 400], "t_C": [290, 200, 100, 60],
    "d_um": [400, 20, 15, 14], "ta_C": [270, 30, 25, 20],
    "h_cal_cm2_s_C": [0.001, 0.001, 0.001, 0.001],
    "birefringence": [0, 0.05, 0.12, 0.12], "crystallinity": [0, 0, 0, 0.04]},
  "structure": {"birefringence": 0.12231, "orientation": 0.4448, "crystallinity": 0.04674,
    "onset_cm": 50.0, "coupled": false},
  "model": {"name": "built-in PET"}})";

}  // namespace

class ProfileViewerTest : public QObject {
  Q_OBJECT

 private slots:
  void init();
  void cleanup() { forms_.reset(); }

  void DoubleClickOnAResultFilePlotsIt();
  void AnotherFileJoinsTheOverlayAndClearEmptiesIt();
  void FreezeMarkerSitsAtTheComputedFreezePoint();
  void NumbersAreTheRunnersForARunsFile();
  void FileThatIsNotAResultFileIsReportedAndChangesNothing();
  void ConvergedSolutionIsDashedBesideTheFile();
  void ConvergedFailureIsNotedAndTheFileStillPlotted();
  void PlotOptionWritesPngAndSvgWithoutAWindow();
  void PlotOptionNamesTheFileItCannotPlot();
  void ImageThatCannotBeWrittenIsReported();
  void PlotOptionRefusesAnIncompleteFile();
  void PlotOptionTakesFileNamesAsTheirBytes();
  void MeasurementsAndFitsAreDrawnOverTheFiles();
  void ExportsAreDrawnAsWrittenWithTheirStructure();
  void HelpAndVersionNeedNoDisplay();

 private:
  QWidget& Form1() { return *forms_->form1; }
  QListWidget& Files() { return Find<QListWidget>(Form1(), "FileListBox1"); }
  TProfileWindow* Viewer() { return Form1().findChild<TProfileWindow*>(); }
  void DoubleClick(const QString& name);

  std::optional<FormsFixture> forms_;
};

void ProfileViewerTest::init() {
  forms_.emplace([] {
    RunInto(QStringLiteral("a.txt"), "5000.0");
    RunInto(QStringLiteral("b.txt"), "4000.0");
    // Zone 1's air with its pole at 5.3 cm: the march steps over it, the converged solution
    // cannot pass it.
    RunInto(QStringLiteral("pole.txt"), "5000.0", "100", "-5.3");
    WriteAll(QStringLiteral("three.txt"), kThreePointFile);
    WriteAll(QStringLiteral("header.txt"), kHeaderOnlyFile);
    WriteAll(QStringLiteral("notes.txt"), kNotes);
  });
  Form1().show();
  QVERIFY(QTest::qWaitForWindowActive(&Form1()));
}

// Through the window, as the window system delivers a double click.
void ProfileViewerTest::DoubleClick(const QString& name) {
  const QList<QListWidgetItem*> items = Files().findItems(name, Qt::MatchExactly);
  QCOMPARE(items.size(), 1);
  const QPoint centre = Files().visualItemRect(items.front()).center();
  QTest::mouseDClick(Form1().windowHandle(), Qt::LeftButton, {},
                     Files().viewport()->mapTo(&Form1(), centre));
}

void ProfileViewerTest::DoubleClickOnAResultFilePlotsIt() {
  QVERIFY(Files().toolTip().contains("Double-click a result file"));
  QCOMPARE(Viewer(), nullptr);
  DoubleClick(QStringLiteral("a.txt"));
  TProfileWindow* viewer = Viewer();
  QVERIFY(viewer != nullptr);
  QVERIFY(viewer->isVisible());
  QCOMPARE(viewer->FileNames(), QStringList{"a.txt"});
  // One velocity, diameter and tension line; filament and air in the temperature plot.
  QCOMPARE(LineCount(viewer->Plots().Chart(TPlot::kVelocity), Qt::SolidLine), 1);
  QCOMPARE(LineCount(viewer->Plots().Chart(TPlot::kTemperature), Qt::SolidLine), 1);
  // The air dash-dot, once: the converged model's air is the file's.
  QCOMPARE(LineCount(viewer->Plots().Chart(TPlot::kTemperature), Qt::DashDotLine), 1);
  // The diameter on its logarithmic axis, whole decades around it; the box switches it.
  QVERIFY(viewer->Plots().LogarithmicDiameter());
  auto* log_axis = qobject_cast<QLogValueAxis*>(
      viewer->Plots().Chart(TPlot::kDiameter).axes(Qt::Vertical).front());
  QVERIFY(log_axis != nullptr);
  QCOMPARE(log_axis->min(), 10.0);
  QCOMPARE(log_axis->max(), 1000.0);
  Find<QCheckBox>(*viewer, "LogDiameterBox").setChecked(false);
  QVERIFY(!viewer->Plots().LogarithmicDiameter());
  QVERIFY(qobject_cast<QValueAxis*>(
              viewer->Plots().Chart(TPlot::kDiameter).axes(Qt::Vertical).front()) != nullptr);
  QCOMPARE(LineCount(viewer->Plots().Chart(TPlot::kDiameter), Qt::SolidLine), 1);
  Find<QCheckBox>(*viewer, "LogDiameterBox").setChecked(true);
  const auto* velocity =
      static_cast<QXYSeries*>(viewer->Plots().Chart(TPlot::kVelocity).series().front());
  QCOMPARE(velocity->count(), 101);  // 0 to 100 cm by 1 cm
  QCOMPARE(velocity->name(), QStringLiteral("a.txt"));
  QCOMPARE(viewer->NumbersTable().columnCount(), 1);
  QCOMPARE(viewer->NumbersTable().horizontalHeaderItem(0)->text(), QStringLiteral("a.txt"));
  // Fineness of 1 g/min at 5000 m/min: 10 000 × 1 / 5000 = 2 dtex.
  QCOMPARE(viewer->NumbersTable().CellText(4, 0), QStringLiteral("2.000"));
  // The file list otherwise changes nothing.
  QCOMPARE(Find<QLineEdit>(Form1(), "Edit20").text(), QStringLiteral("result.txt"));
  QCOMPARE(QDir::currentPath(), forms_->directory.Path());
}

void ProfileViewerTest::AnotherFileJoinsTheOverlayAndClearEmptiesIt() {
  DoubleClick(QStringLiteral("a.txt"));
  DoubleClick(QStringLiteral("b.txt"));
  TProfileWindow* viewer = Viewer();
  QVERIFY(viewer != nullptr);
  QCOMPARE(viewer->FileNames(), (QStringList{"a.txt", "b.txt"}));
  const QChart& velocity = viewer->Plots().Chart(TPlot::kVelocity);
  QCOMPARE(LineCount(velocity, Qt::SolidLine), 2);
  // Each ends at its take-up speed, within the search's 0.1 %.
  const QXYSeries* b = SeriesNamed(velocity, QStringLiteral("b.txt"));
  QVERIFY(b != nullptr);
  QVERIFY(qAbs(b->points().back().y() - 4000.0) < 4.0);
  QCOMPARE(viewer->NumbersTable().columnCount(), 2);
  // The one legend names each file once in its colour, then each style in use once.
  const vellmor::gui::PlotLegend& legend = viewer->Legend();
  QCOMPARE(legend.Files().size(), 2u);
  // Named by what tells them apart.
  QCOMPARE(legend.Files()[0].Name, QStringLiteral("take-up speed 5000 m/min"));
  QCOMPARE(legend.Files()[1].Name, QStringLiteral("take-up speed 4000 m/min"));
  QVERIFY(legend.Files()[0].Colour != legend.Files()[1].Colour);
  using vellmor::gui::TLegendKey;
  QCOMPARE(legend.Keys(), (std::vector<TLegendKey>{TLegendKey::kClassical, TLegendKey::kConverged,
                                                   TLegendKey::kAir, TLegendKey::kFreezeClassical,
                                                   TLegendKey::kFreezeConverged}));
  for (const QLegendMarker* marker : velocity.legend()->markers()) QVERIFY(!marker->isVisible());
  QVERIFY(!velocity.legend()->isVisible());

  // A file already shown is read again, not shown twice.
  DoubleClick(QStringLiteral("a.txt"));
  QCOMPARE(viewer->FileNames(), (QStringList{"a.txt", "b.txt"}));

  QTest::mouseClick(&Find<QPushButton>(*viewer, "ClearButton"), Qt::LeftButton);
  QCOMPARE(viewer->FileNames(), QStringList());
  QCOMPARE(velocity.series().size(), 0);
  QCOMPARE(viewer->NumbersTable().columnCount(), 0);
  DoubleClick(QStringLiteral("b.txt"));
  QCOMPARE(viewer->FileNames(), QStringList{"b.txt"});
}

void ProfileViewerTest::FreezeMarkerSitsAtTheComputedFreezePoint() {
  DoubleClick(QStringLiteral("three.txt"));
  TProfileWindow* viewer = Viewer();
  QVERIFY(viewer != nullptr);
  const vellmor::gui::ProfilePlots& plots = viewer->Plots();
  QCOMPARE(FreezeMarkers(plots.Chart(TPlot::kVelocity)), QList<QPointF>{QPointF(15.0, 330.0)});
  QCOMPARE(FreezeMarkers(plots.Chart(TPlot::kTemperature)), QList<QPointF>{QPointF(15.0, 70.0)});
  QCOMPARE(FreezeMarkers(plots.Chart(TPlot::kDiameter)), QList<QPointF>{QPointF(15.0, 85.0)});
  QCOMPARE(FreezeMarkers(plots.Chart(TPlot::kTension)), QList<QPointF>{QPointF(15.0, 7.0)});
  QCOMPARE(viewer->NumbersTable().CellText(0, 0), QStringLiteral("15.00"));
  QCOMPARE(viewer->NumbersTable().CellText(1, 0), QStringLiteral("330.0"));
  // A made-up file is no run's: its numbers are the printed table's, and the note says so.
  QVERIFY(viewer->ConvergedNote().text().contains(
      QStringLiteral("three.txt: numbers from the printed table, as its conditions run again")));
}

// A real run's file shows the runner's numbers, to the last digit the table gives them: the
// run's own freeze point, not one interpolated between printed rows.
void ProfileViewerTest::NumbersAreTheRunnersForARunsFile() {
  DoubleClick(QStringLiteral("a.txt"));
  TProfileWindow* viewer = Viewer();
  QVERIFY(viewer != nullptr);
  struct : vellmor::MessageSink {
    void ShowMessage(std::string_view) override {}
  } quiet;
  vellmor::TInputTexts texts;
  texts.SaveFileName = "runner.txt";
  auto state = std::make_unique<vellmor::TRunState>();
  const vellmor::TRunOutcome run = vellmor::RunSpinline(texts, *state, quiet);
  QCOMPARE(run.Status, vellmor::RunStatus::kSucceeded);
  const auto& table = viewer->NumbersTable();
  QCOMPARE(table.CellText(0, 0), QString::fromStdString(vellmor::FormatFixed(
                                     run.Numbers->Freeze->PositionCm, 12, 2, '.')));
  QCOMPARE(table.CellText(0, 0), QStringLiteral("63.84"));
  QVERIFY(!viewer->ConvergedNote().text().contains(QStringLiteral("printed table")));
}

void ProfileViewerTest::FileThatIsNotAResultFileIsReportedAndChangesNothing() {
  {
    ModalCloser closer;
    DoubleClick(QStringLiteral("notes.txt"));
    QCOMPARE(closer.Messages(),
             QStringList{"notes.txt is not a result file: line 1: expected \"OPERATING "
                         "CONDITION\", found \"hello\""});
  }
  QCOMPARE(Viewer(), nullptr);

  DoubleClick(QStringLiteral("a.txt"));
  QVERIFY(Viewer() != nullptr);
  ModalCloser closer;
  DoubleClick(QStringLiteral("header.txt"));
  QCOMPARE(closer.Messages(),
           QStringList{"header.txt is not a result file: line 42: expected the first row of the "
                       "table of results, found none (its run did not finish)"});
  QCOMPARE(Viewer()->FileNames(), QStringList{"a.txt"});
  QCOMPARE(Find<QLineEdit>(Form1(), "Edit20").text(), QStringLiteral("result.txt"));
}

void ProfileViewerTest::ConvergedSolutionIsDashedBesideTheFile() {
  DoubleClick(QStringLiteral("a.txt"));
  TProfileWindow* viewer = Viewer();
  QVERIFY(viewer != nullptr);
  const vellmor::gui::ProfilePlots& plots = viewer->Plots();
  const QXYSeries* classical = SeriesNamed(plots.Chart(TPlot::kTension), QStringLiteral("a.txt"));
  const QXYSeries* converged =
      SeriesNamed(plots.Chart(TPlot::kTension), QStringLiteral("a.txt: converged"));
  QVERIFY(classical != nullptr && converged != nullptr);
  QCOMPARE(converged->pen().style(), Qt::DashLine);
  // At the file's positions, from the spinneret at the converged tension.
  QCOMPARE(converged->count(), classical->count());
  for (int i = 0; i < converged->count(); ++i) QCOMPARE(converged->at(i).x(), classical->at(i).x());
  QVERIFY(qAbs(converged->at(0).y() / kConvergedTension - 1.0) < 1e-8);

  // The file's 36.477 dyn is 9.79 % below 40.437 dyn; the converged solution freezes at
  // 62.33 cm (the independent script: 62.3341500148 cm).
  const auto& table = viewer->NumbersTable();
  QCOMPARE(table.CellText(kConvergedTensionRow, 0), QStringLiteral("40.437"));
  QCOMPARE(table.CellText(kTensionErrorRow, 0), QStringLiteral("-9.79"));
  QCOMPARE(table.CellText(kConvergedFreezeRow, 0), QStringLiteral("62.33"));
  QVERIFY(viewer->ConvergedNote().isHidden());
  // The quench's power of V/A moves the freeze point most (-4.70, from neighbouring solutions
  // of the core's tests); next, heat transfer and heat capacity, each below 1.
  QVERIFY(
      table.CellText(kFirstKnobRow, 0).startsWith("heat_transfer.velocity_area_exponent -4.70"));
  QVERIFY(table.CellText(kFirstKnobRow + 1, 0).startsWith("heat_transfer.factor -0.87"));
  QVERIFY(table.CellText(kFirstKnobRow + 2, 0).startsWith("specific_heat.intercept_cal_g_C 0.67"));
}

void ProfileViewerTest::ConvergedFailureIsNotedAndTheFileStillPlotted() {
  ModalCloser closer;
  DoubleClick(QStringLiteral("a.txt"));
  DoubleClick(QStringLiteral("pole.txt"));
  TProfileWindow* viewer = Viewer();
  QVERIFY(viewer != nullptr);
  QCOMPARE(viewer->FileNames(), (QStringList{"a.txt", "pole.txt"}));
  const QChart& velocity = viewer->Plots().Chart(TPlot::kVelocity);
  QCOMPARE(SeriesNamed(velocity, QStringLiteral("pole.txt: converged")), nullptr);
  QCOMPARE(LineCount(velocity, Qt::DashLine), 1);  // a.txt's

  const QString failure = QStringLiteral(
      "Converged solution failed: the air temperature of zone 1 has the pole of A1/(Z + A2) + "
      "A3 inside the zone, at 5.3 cm");
  const auto& table = viewer->NumbersTable();
  for (const int row :
       {kConvergedTensionRow, kTensionErrorRow, kConvergedFreezeRow, kFirstKnobRow}) {
    QCOMPARE(table.CellText(row, 1), QStringLiteral("failed"));
    QCOMPARE(table.item(row, 1)->toolTip(), failure);
  }
  QCOMPARE(viewer->ConvergedNote().text(), QStringLiteral("pole.txt: ") + failure);
  // Said in the window, not in a message box.
  QCOMPARE(closer.Messages(), QStringList());
}

namespace {

// vellmor started as a script starts it, with no window system named: --plot must draw
// offscreen by itself.
struct PlotRun {
  int exit_code = -1;
  QString error;
};

PlotRun Plot(const QStringList& arguments) {
  QProcess process;
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"}) {
    environment.remove(QString::fromLatin1(name));
  }
  process.setProcessEnvironment(environment);
  process.start(QStringLiteral(VELLMOR_GUI_PATH), QStringList{"--plot"} + arguments);
  if (!process.waitForFinished(60000)) qFatal("vellmor --plot did not finish");
  return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
          QString::fromUtf8(process.readAllStandardError())};
}

}  // namespace

void ProfileViewerTest::PlotOptionWritesPngAndSvgWithoutAWindow() {
  const PlotRun png = Plot({"a.txt", "b.txt", "--output", "plot.png"});
  QCOMPARE(png.exit_code, 0);
  const QImage image(QStringLiteral("plot.png"));
  QVERIFY(!image.isNull());
  QVERIFY(image.width() >= 800 && image.height() >= 600);

  // Larger, at twice the pixels to the inch, and as a PDF; a size that cannot hold the plots
  // is a usage error.
  QCOMPARE(
      Plot({"a.txt", "--output", "big.png", "--size", "1600x1200px", "--dpi", "192"}).exit_code, 0);
  QCOMPARE(QImage(QStringLiteral("big.png")).size(), QSize(3200, 2400));
  QCOMPARE(Plot({"a.txt", "b.txt", "--output", "plot.pdf", "--linear-diameter"}).exit_code, 0);
  QVERIFY(ReadAll(QStringLiteral("plot.pdf")).startsWith("%PDF-"));
  const PlotRun tiny = Plot({"a.txt", "--output", "tiny.png", "--size", "2x2"});
  QCOMPARE(tiny.exit_code, 64);
  QVERIFY(tiny.error.contains(QStringLiteral("--size 2x2: expected column")));
  QVERIFY(!QFile::exists(QStringLiteral("tiny.png")));

  const PlotRun svg = Plot({"a.txt", "--output", "plot.svg"});
  QCOMPARE(svg.exit_code, 0);
  const QByteArray text = ReadAll(QStringLiteral("plot.svg"));
  QVERIFY(text.contains("<svg"));
  QVERIFY(text.contains("Velocity (m/min)"));
  QVERIFY(text.contains("converged model"));  // the legend's key

  // Measured data beside a result file, named by --measured.
  WriteAll(QStringLiteral("line.csv"), "x_cm,quantity,value\n20,diameter_um,25.0\n");
  const PlotRun measured = Plot({"a.txt", "--measured", "line.csv", "--output", "line.svg"});
  QCOMPARE(measured.exit_code, 0);
  const QByteArray line = ReadAll(QStringLiteral("line.svg"));
  QVERIFY(line.contains("line.csv"));
  QVERIFY(line.contains("measured"));
}

void ProfileViewerTest::PlotOptionNamesTheFileItCannotPlot() {
  const PlotRun run = Plot({"a.txt", "notes.txt", "--output", "plot.png"});
  QCOMPARE(run.exit_code, 1);
  QVERIFY2(run.error.contains("notes.txt is not a result file: line 1: "), qPrintable(run.error));
  QVERIFY(!QFile::exists(QStringLiteral("plot.png")));

  const PlotRun no_output = Plot({"a.txt"});
  QCOMPARE(no_output.exit_code, 64);
  QVERIFY(no_output.error.contains("--output"));
  const PlotRun unknown_type = Plot({"a.txt", "--output", "plot.gif"});
  QCOMPARE(unknown_type.exit_code, 64);
}

void ProfileViewerTest::ImageThatCannotBeWrittenIsReported() {
  DoubleClick(QStringLiteral("a.txt"));
  QVERIFY(Viewer() != nullptr);
  const QString failure = Viewer()->SaveImage(QStringLiteral("no such dir/plot.png"));
  QVERIFY2(failure.startsWith("Can not write image no such dir/plot.png: "), qPrintable(failure));
  QVERIFY(Viewer()->SaveImage(QStringLiteral("plot.svg")).isEmpty());
  QVERIFY(ReadAll(QStringLiteral("plot.svg")).contains("<svg"));
}

// A file cut short (a full disk, an interrupted copy) is refused, naming the file and the line,
// rather than plotted as if whole with the process numbers of a wrong last row.
void ProfileViewerTest::PlotOptionRefusesAnIncompleteFile() {
  const QByteArray whole = ReadAll(QStringLiteral("a.txt"));
  // Inside the last row (line 142), and in the empty lines after it.
  for (const int cut : {30, 3}) {
    WriteAll(QStringLiteral("cut.txt"), whole.left(whole.size() - cut));
    const PlotRun run = Plot({"a.txt", "cut.txt", "--output", "plot.png"});
    QCOMPARE(run.exit_code, 1);
    const QString place = QStringLiteral("cut.txt is not a result file: line %1: ");
    QVERIFY2(run.error.contains(place.arg(cut == 30 ? 142 : 143)), qPrintable(run.error));
    if (cut == 3) QVERIFY2(run.error.contains("the file is incomplete"), qPrintable(run.error));
    QVERIFY(!QFile::exists(QStringLiteral("plot.png")));
  }
}

// A name that is not UTF-8 reaches its file unchanged.
void ProfileViewerTest::PlotOptionTakesFileNamesAsTheirBytes() {
  QProcess shell;
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert(QStringLiteral("VELLMOR"), QStringLiteral(VELLMOR_GUI_PATH));
  shell.setProcessEnvironment(environment);
  shell.start(QStringLiteral("/bin/sh"),
              {QStringLiteral("-c"),
               QStringLiteral("name=$(printf 'r\\377\\376.txt') && cp a.txt \"$name\" && "
                              "\"$VELLMOR\" --plot \"$name\" --output bytes.png")});
  QVERIFY(shell.waitForFinished(60000));
  QVERIFY2(shell.exitCode() == 0, shell.readAllStandardError().constData());
  QVERIFY(!QImage(QStringLiteral("bytes.png")).isNull());
}

// Measured data: hollow squares with their ±σ bars on the plot of their quantity. A fit's
// JSON: its measurements, and each case solved again from its inputs with the fitted card.
void ProfileViewerTest::MeasurementsAndFitsAreDrawnOverTheFiles() {
  WriteAll(QStringLiteral("line.csv"),
           "x_cm,quantity,value,sigma\n20,diameter_um,25.0,0.5\n40,diameter_um,15.5,0.5\n"
           "60,temperature_C,70,2\n100,birefringence,0.12,0.01\n");
  WriteAll(QStringLiteral("fit.json"),
           R"({"status": "fitted", "cases": [{"case": "slow",
               "inputs": {"take-up-speed": {"text": "4000.0"}},
               "residuals": [{"x_cm": 30, "quantity": "diameter_um", "measured": 19.0,
                              "sigma": 0.4, "normalised": -1.5}]}],
               "model": {"heat_transfer": {"factor": 2e-4}}})");
  WriteAll(QStringLiteral("odd.csv"), "x_cm,quantity,value\n20,width_um,3\n");
  DoubleClick(QStringLiteral("a.txt"));
  TProfileWindow* viewer = Viewer();
  QVERIFY(viewer != nullptr);
  QCOMPARE(viewer->AddResultFiles({"line.csv", "fit.json"}), QString());
  QCOMPARE(viewer->FileNames(), (QStringList{"a.txt", "line.csv", "fit.json"}));

  const QChart& diameter = viewer->Plots().Chart(TPlot::kDiameter);
  const QXYSeries* measured = SeriesNamed(diameter, QStringLiteral("line.csv: measured"));
  QVERIFY(measured != nullptr);
  QCOMPARE(measured->count(), 2);
  QCOMPARE(measured->at(0), QPointF(20.0, 25.0));
  QCOMPARE(
      SeriesNamed(viewer->Plots().Chart(TPlot::kTemperature), QStringLiteral("line.csv: measured"))
          ->count(),
      1);
  // The yarn's measured birefringence on the structure's plot, shown for it.
  QVERIFY(viewer->Plots().ShowsStructure());
  QCOMPARE(SeriesNamed(viewer->Plots().Chart(TPlot::kBirefringence),
                       QStringLiteral("line.csv: measured"))
               ->at(0),
           QPointF(100.0, 0.12));
  const QXYSeries* bar = SeriesNamed(diameter, QStringLiteral("±σ"));
  QVERIFY(bar != nullptr);
  QCOMPARE(bar->count(), 2);
  QCOMPARE(bar->at(1).y() - bar->at(0).y(), 1.0);

  // The fitted profile: the case's take-up speed, reached at the take-up point.
  const QXYSeries* fitted = SeriesNamed(viewer->Plots().Chart(TPlot::kVelocity),
                                        QStringLiteral("fit.json: slow (fitted)"));
  QVERIFY(fitted != nullptr);
  QCOMPARE(fitted->count(), 1001);
  QVERIFY(qAbs(fitted->at(1000).y() - 4000.0) < 1e-3);
  QVERIFY(SeriesNamed(diameter, QStringLiteral("fit.json: slow (fitted): measured")) != nullptr);
  // Its residual in the plot under the others, shown now that there is one.
  const QChart& residuals = viewer->Plots().ResidualChart();
  QVERIFY(viewer->Plots().HasResiduals());
  QVERIFY(residuals.geometry().height() > 50);
  const QXYSeries* residual =
      SeriesNamed(residuals, QStringLiteral("fit.json: slow (fitted): measured"));
  QVERIFY(residual != nullptr);
  QCOMPARE(residual->at(0), QPointF(30.0, -1.5));

  QCOMPARE(viewer->AddResultFiles({"odd.csv"}),
           QStringLiteral("odd.csv, line 2: unknown quantity 'width_um'; the quantities are "
                          "diameter_um, temperature_C, velocity_m_min, tension_dyn"));
  QCOMPARE(viewer->FileNames().size(), 3);

  // A FIFO nobody writes is refused, not waited on, when the viewer looks at its first bytes.
  QCOMPARE(mkfifo("pipe", 0600), 0);
  QCOMPARE(viewer->AddResultFiles({"pipe"}), QStringLiteral("pipe is not an ordinary file"));
}

// The JSON of solve with the structure: its curves dashed as the converged model's, two more
// plots for birefringence and crystallinity with the onset marked, and the document's own
// numbers in its column. A result file alone has neither plot; a document of a failed run or
// one whose profile is cut short is refused and changes nothing.
void ProfileViewerTest::ExportsAreDrawnAsWrittenWithTheirStructure() {
  WriteAll(QStringLiteral("solve.json"), kStructureDocument);
  WriteAll(QStringLiteral("failed.json"),
           R"({"status": "failed", "message": "Calculation error", "profile": null})");
  QByteArray cut(kStructureDocument);
  cut.replace("\"t_C\": [290, 200, 100, 60]", "\"t_C\": [290, 200, 100]");
  WriteAll(QStringLiteral("cut.json"), cut);
  DoubleClick(QStringLiteral("a.txt"));
  TProfileWindow* viewer = Viewer();
  QVERIFY(viewer != nullptr);
  QVERIFY(!viewer->Plots().ShowsStructure());
  QVERIFY(!viewer->Plots().Chart(TPlot::kCrystallinity).isVisible());

  QCOMPARE(viewer->AddResultFiles({"solve.json"}), QString());
  QCOMPARE(viewer->FileNames(), (QStringList{"a.txt", "solve.json"}));
  const auto& plots = viewer->Plots();
  QVERIFY(plots.ShowsStructure());
  QVERIFY(plots.Chart(TPlot::kCrystallinity).isVisible());
  QVERIFY(plots.Chart(TPlot::kCrystallinity).geometry().height() > 50);
  const QXYSeries* velocity = SeriesNamed(plots.Chart(TPlot::kVelocity), "solve.json");
  QVERIFY(velocity != nullptr);
  QCOMPARE(velocity->pen().style(), Qt::DashLine);
  QCOMPARE(velocity->count(), 4);
  QCOMPARE(SeriesNamed(plots.Chart(TPlot::kDiameter), "solve.json")->at(1), QPointF(20.0, 20.0));
  QCOMPARE(SeriesNamed(plots.Chart(TPlot::kBirefringence), "solve.json")->at(2),
           QPointF(40.0, 0.12));
  const QXYSeries* onset =
      SeriesNamed(plots.Chart(TPlot::kCrystallinity), "solve.json: onset of crystallization");
  QVERIFY(onset != nullptr);
  QCOMPARE(onset->at(0), QPointF(50.0, 0.02));
  // The freeze point the document names, on the line drawn.
  const QXYSeries* freeze = SeriesNamed(plots.Chart(TPlot::kTension), "solve.json: freeze point");
  QVERIFY(freeze != nullptr);
  QCOMPARE(freeze->at(0), QPointF(45.0, 287.5));
  // The result file has no structure: its structure rows are dashes, the document's its own
  // numbers, and the document has no comparison with a converged solution of its own.
  const auto& table = viewer->NumbersTable();
  QCOMPARE(table.CellText(0, 1), QStringLiteral("45.00"));
  QCOMPARE(table.CellText(kBirefringenceRow, 0), QStringLiteral("–"));
  QCOMPARE(table.CellText(kBirefringenceRow, 1), QStringLiteral("0.12231"));
  QCOMPARE(table.CellText(kCrystallinityRow, 1), QStringLiteral("0.04674"));
  QCOMPARE(table.CellText(kOnsetRow, 1), QStringLiteral("50.00"));
  QCOMPARE(table.CellText(kConvergedTensionRow, 1), QStringLiteral("–"));
  QCOMPARE(table.CellText(kFirstKnobRow, 1), QStringLiteral("–"));
  QVERIFY(table.CellText(kConvergedTensionRow, 0) != QStringLiteral("–"));

  QCOMPARE(viewer->AddResultFiles({"failed.json"}),
           QStringLiteral("failed.json holds no profile: its run did not succeed (Calculation "
                          "error)"));
  QCOMPARE(viewer->AddResultFiles({"cut.json"}),
           QStringLiteral("cut.json is damaged: its profile or process numbers are incomplete"));
  QCOMPARE(viewer->FileNames().size(), 2);
  viewer->ClearOverlay();
  QVERIFY(!viewer->Plots().ShowsStructure());

  // A profile CSV: the hand-made line of three points of kThreePointFile, with the tenacities
  // (a run's, solid) and without (the converged model's, dashed). Its freeze point is the
  // line's own, at 15 cm; the fineness, which needs the output, is a dash.
  const QByteArray run_csv =
      "x_cm,v_m_min,f_dyn,t_C,d_um,ta_C,h_cal_cm2_s_C,ten_re_gf_den,ten_ap_gf_den\n"
      "0,6,5,90,400,20,0.001,0,0.0057\n10,60,6,80,130,20,0.001,0,0.0068\n"
      "20,600,8,60,40,20,0.001,0.0001,0.0091\n";
  WriteAll(QStringLiteral("run.csv"), run_csv);
  WriteAll(QStringLiteral("converged.csv"),
           "x_cm,v_m_min,f_dyn,t_C,d_um,ta_C,h_cal_cm2_s_C\n0,6,5,90,400,20,0.001\n"
           "20,600,8,60,40,20,0.001\n");
  WriteAll(QStringLiteral("bad.csv"), "x_cm,v_m_min,f_dyn,t_C,d_um,ta_C\n0,6,5,x,400,20\n");
  QCOMPARE(viewer->AddResultFiles({"run.csv", "converged.csv"}), QString());
  const QXYSeries* run_line = SeriesNamed(plots.Chart(TPlot::kVelocity), "run.csv");
  QVERIFY(run_line != nullptr);
  QCOMPARE(run_line->pen().style(), Qt::SolidLine);
  QCOMPARE(SeriesNamed(plots.Chart(TPlot::kVelocity), "converged.csv")->pen().style(),
           Qt::DashLine);
  QCOMPARE(SeriesNamed(plots.Chart(TPlot::kDiameter), "run.csv")->at(1), QPointF(10.0, 130.0));
  QCOMPARE(table.CellText(0, 0), QStringLiteral("15.00"));
  QCOMPARE(table.CellText(1, 0), QStringLiteral("330.0"));
  QCOMPARE(table.CellText(4, 0), QStringLiteral("–"));  // fineness
  QCOMPARE(viewer->AddResultFiles({"bad.csv"}), QStringLiteral("bad.csv, line 2: not a number: x"));

  // A solve's profile with intervals: the band of each column beneath its curve, a sample
  // without one (empty cells) left out of it.
  WriteAll(QStringLiteral("banded.csv"),
           "x_cm,v_m_min,f_dyn,t_C,d_um,ta_C,h_cal_cm2_s_C,t_C_lo,t_C_hi\n"
           "0,6,5,90,400,20,0.001,88,92\n10,60,6,80,130,20,0.001,,\n"
           "20,600,8,60,40,20,0.001,57,63\n");
  QCOMPARE(viewer->AddResultFiles({"banded.csv"}), QString());
  const QAreaSeries* band = nullptr;
  for (QAbstractSeries* series : plots.Chart(TPlot::kTemperature).series()) {
    if (series->name() == QStringLiteral("banded.csv: 95 % band")) {
      band = qobject_cast<QAreaSeries*>(series);
    }
  }
  QVERIFY(band != nullptr);
  QCOMPARE(band->upperSeries()->points(), (QList<QPointF>{{0.0, 92.0}, {20.0, 63.0}}));
  QCOMPARE(band->lowerSeries()->points(), (QList<QPointF>{{0.0, 88.0}, {20.0, 57.0}}));
  QVERIFY(band->brush().color().alpha() < 255);
  QVERIFY(SeriesNamed(plots.Chart(TPlot::kVelocity), "banded.csv: 95 % band") == nullptr);
}

// On a server without a window system, even one named that is not there (xcb), --help and
// --version print and succeed.
void ProfileViewerTest::HelpAndVersionNeedNoDisplay() {
  for (const char* option : {"--version", "--help"}) {
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY"}) {
      environment.remove(QString::fromLatin1(name));
    }
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(VELLMOR_GUI_PATH), {QString::fromLatin1(option)});
    QVERIFY(process.waitForFinished(60000));
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), 0);
    const QByteArray printed = process.readAllStandardOutput();
    QVERIFY2(printed.contains(option == std::string_view("--help") ? "--screenshot" : "1."),
             printed.constData());
  }
}

QTEST_MAIN(ProfileViewerTest)
#include "profile_viewer_test.moc"
