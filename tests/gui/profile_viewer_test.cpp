// The profile viewer: opened from the main window's file list, overlaying files, marking the
// freeze point, refusing what is not a result file, and vellmor --plot.

#include <QChart>
#include <QDir>
#include <QImage>
#include <QLegend>
#include <QLegendMarker>
#include <QLineEdit>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QScatterSeries>
#include <QtTest>
#include <optional>
#include <string>
#include <vector>

#include "core/run/run_sequence.h"
#include "forms_fixture.h"
#include "gui/process_numbers_table.h"
#include "gui/profile_plots.h"
#include "gui/t_profile_window.h"
#include "modal_closer.h"
#include "support/default_result_header.h"

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

// A real run of the given take-up speed into name, made through the core.
void RunInto(const QString& name, const char* take_up_speed) {
  struct : vellmor::MessageSink {
    void ShowMessage(std::string_view) override {}
  } quiet;
  vellmor::TInputTexts texts;
  texts.Edit3 = take_up_speed;
  texts.Edit20 = name.toStdString();
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

int LineCount(const QChart& chart) {
  int lines = 0;
  for (QAbstractSeries* series : chart.series()) {
    if (series->type() == QAbstractSeries::SeriesTypeLine) ++lines;
  }
  return lines;
}

}  // namespace

class ProfileViewerTest : public QObject {
  Q_OBJECT

 private slots:
  void init();
  void cleanup() { forms_.reset(); }

  void DoubleClickOnAResultFilePlotsIt();
  void AnotherFileJoinsTheOverlayAndClearEmptiesIt();
  void FreezeMarkerSitsAtTheComputedFreezePoint();
  void FileThatIsNotAResultFileIsReportedAndChangesNothing();
  void PlotOptionWritesPngAndSvgWithoutAWindow();
  void PlotOptionNamesTheFileItCannotPlot();
  void ImageThatCannotBeWrittenIsReported();

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
  QCOMPARE(LineCount(viewer->Plots().Chart(TPlot::kVelocity)), 1);
  QCOMPARE(LineCount(viewer->Plots().Chart(TPlot::kTemperature)), 2);
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
  QCOMPARE(LineCount(velocity), 2);
  // Each ends at its take-up speed, within the search's 0.1 %.
  const auto* b = static_cast<QXYSeries*>(velocity.series()[2]);  // a: line, marker; b: …
  QCOMPARE(b->name(), QStringLiteral("b.txt"));
  QVERIFY(qAbs(b->points().back().y() - 4000.0) < 4.0);
  QCOMPARE(viewer->NumbersTable().columnCount(), 2);
  // The legend names each file once.
  int legend_entries = 0;
  for (const QLegendMarker* marker : velocity.legend()->markers())
    legend_entries += marker->isVisible() ? 1 : 0;
  QCOMPARE(legend_entries, 2);

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

  const PlotRun svg = Plot({"a.txt", "--output", "plot.svg"});
  QCOMPARE(svg.exit_code, 0);
  const QByteArray text = ReadAll(QStringLiteral("plot.svg"));
  QVERIFY(text.contains("<svg"));
  QVERIFY(text.contains("Velocity (m/min)"));
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

QTEST_MAIN(ProfileViewerTest)
#include "profile_viewer_test.moc"
