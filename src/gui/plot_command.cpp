#include "gui/plot_command.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QFile>
#include <QFileInfo>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string_view>

#include "gui/figure_writer.h"
#include "gui/sweep_figure.h"
#include "gui/t_profile_window.h"
#include "vellmor/documents/document_kind.h"
#include "vellmor/documents/sweep_summary.h"

namespace vellmor::gui {
namespace {

// A PNG's dots per inch unless --dpi says: print quality.
constexpr int kDefaultDpi = 300;

// Messages of the plot go straight to standard error: there is no window to show them in.
class StandardErrorSink : public MessageSink {
 public:
  void ShowMessage(std::string_view text) override {
    std::fprintf(stderr, "vellmor: %.*s\n", static_cast<int>(text.size()), text.data());
  }
};

int Fail(int status, const QString& message) {
  StandardErrorSink().ShowMessage(message.toStdString());
  return status;
}

}  // namespace

bool AsksForPlot(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--plot") == 0) return true;
  }
  return false;
}

void UseOffscreenPlatform() {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
}

TPlotOptions AddPlotOptions(QCommandLineParser& parser) {
  TPlotOptions options{
      QCommandLineOption(
          QStringLiteral("plot"),
          QStringLiteral("Plot the files given as arguments (result files, the JSON exports of "
                         "a run, of solve and of a fit, measured data) into the image named by "
                         "--output, without a window, and exit (status 1: a file cannot be "
                         "plotted; 64: no file, no --output, an unknown image type or a wrong "
                         "--size or --dpi; 73: the image could not be written).")),
      QCommandLineOption(QStringLiteral("output"),
                         QStringLiteral("The image --plot writes: PLOT.png, PLOT.svg or PLOT.pdf."),
                         QStringLiteral("image")),
      QCommandLineOption(QStringLiteral("measured"),
                         QStringLiteral("Measured data (CSV of vellmor-cli fit) to draw over the "
                                        "files, with --plot; repeatable. The JSON of a fit may "
                                        "be given as a file."),
                         QStringLiteral("file.csv")),
      QCommandLineOption(QStringLiteral("size"),
                         QStringLiteral("The figure's size, with --plot: column (8.5 cm wide), "
                                        "page (17 cm, the default), slide (25.4 x 14.29 cm), "
                                        "WxH in cm, or WxHpx in pixels at 96 dpi; the type "
                                        "sized to read at it."),
                         QStringLiteral("size")),
      QCommandLineOption(QStringLiteral("dpi"),
                         QStringLiteral("Dots per inch of a PNG, with --plot (default 300; PDF "
                                        "and SVG are vectors)."),
                         QStringLiteral("N")),
      QCommandLineOption(QStringLiteral("linear-diameter"),
                         QStringLiteral("The diameter on a linear axis, with --plot (default: "
                                        "logarithmic).")),
      QCommandLineOption(QStringLiteral("table"),
                         QStringLiteral("Draw the process numbers' table under the plots, with "
                                        "--plot.")),
      QCommandLineOption(QStringLiteral("table-csv"),
                         QStringLiteral("Write the process numbers of the files as CSV there, "
                                        "with --plot."),
                         QStringLiteral("file.csv")),
      QCommandLineOption(QStringLiteral("x"),
                         QStringLiteral("With --plot of a sweep's summary: the varied input "
                                        "along x (take_up_speed)."),
                         QStringLiteral("column")),
      QCommandLineOption(QStringLiteral("y"),
                         QStringLiteral("With --x: the numbers plotted against it, separated "
                                        "by commas (freeze_point_cm,birefringence)."),
                         QStringLiteral("columns")),
      QCommandLineOption(QStringLiteral("by"),
                         QStringLiteral("With --x: the input whose values make one line each "
                                        "(zone2_air_velocity)."),
                         QStringLiteral("column")),
  };
  parser.addOption(options.Plot);
  parser.addOption(options.Output);
  parser.addOption(options.Measured);
  parser.addOption(options.Size);
  parser.addOption(options.Dpi);
  parser.addOption(options.LinearDiameter);
  parser.addOption(options.Table);
  parser.addOption(options.TableCsv);
  parser.addOption(options.X);
  parser.addOption(options.Y);
  parser.addOption(options.By);
  parser.addPositionalArgument(QStringLiteral("files"),
                               QStringLiteral("Result files to plot, with --plot."),
                               QStringLiteral("[FILE...]"));
  return options;
}

std::vector<std::string> FileArguments(int argc, char** argv) {
  std::vector<std::string> files;
  bool options_ended = false;
  for (int i = 1; i < argc; ++i) {
    const std::string_view argument = argv[i];
    if (!options_ended && argument == "--") {
      options_ended = true;
      continue;
    }
    if (!options_ended && argument.size() > 1 && argument.front() == '-') {
      // The options that take their value as the next argument.
      if ((argument == "--output" || argument == "--screenshot" || argument == "--measured" ||
           argument == "--size" || argument == "--dpi" || argument == "--table-csv" ||
           argument == "--x" || argument == "--y" || argument == "--by") &&
          i + 1 < argc) {
        ++i;
      }
      continue;
    }
    files.emplace_back(argument);
  }
  return files;
}

namespace {

// The file's bytes, up to a sweep's largest summary; nullopt where it cannot be read.
std::optional<QByteArray> ReadSmallFile(const std::string& path) {
  QFile file(QFile::decodeName(QByteArray::fromStdString(path)));
  if (!file.open(QIODevice::ReadOnly) || file.size() > (qint64{256} << 20)) return std::nullopt;
  return file.readAll();
}

// A sweep's summary: its numbers against the varied input, in series by another.
int PlotSweep(const QCommandLineParser& parser, const TPlotOptions& options,
              const std::vector<std::string>& files, const QString& output, const TFigurePage& page,
              int dpi) {
  if (files.size() != 1) {
    return Fail(kPlotUsage, QStringLiteral("--x and --y plot one sweep's summary"));
  }
  if (!parser.isSet(options.X) || !parser.isSet(options.Y)) {
    return Fail(kPlotUsage, QStringLiteral("a sweep's summary is plotted with --x COLUMN and "
                                           "--y COLUMNS (and --by COLUMN)"));
  }
  if (parser.isSet(options.Table) || parser.isSet(options.TableCsv)) {
    return Fail(kPlotUsage, QStringLiteral("--table and --table-csv are a profile's: a sweep's "
                                           "numbers are its summary"));
  }
  const QString name = QFile::decodeName(QByteArray::fromStdString(files.front()));
  const std::optional<QByteArray> bytes = ReadSmallFile(files.front());
  if (!bytes) return Fail(kPlotFileRefused, name + QStringLiteral(" can not be read"));
  const std::string_view text(bytes->constData(), static_cast<std::size_t>(bytes->size()));
  if (DocumentKindOf(text) != DocumentKind::kSweepSummary) {
    return Fail(kPlotFileRefused,
                name + QStringLiteral(" is not the summary of vellmor-cli sweep (--x and --y "
                                      "plot a sweep's summary)"));
  }
  auto summary = ReadSweepSummary(text, name.toStdString());
  if (const auto* problem = std::get_if<std::string>(&summary)) {
    return Fail(kPlotFileRefused, QString::fromStdString(*problem));
  }
  std::vector<std::string> ys;
  for (const QString& y : parser.value(options.Y).split(u',', Qt::SkipEmptyParts)) {
    ys.push_back(y.trimmed().toStdString());
  }
  auto data =
      SweepFigureData(std::get<TSweepSummary>(summary), parser.value(options.X).toStdString(), ys,
                      parser.value(options.By).toStdString());
  if (const auto* problem = std::get_if<std::string>(&data)) {
    return Fail(kPlotUsage, name + QStringLiteral(": ") + QString::fromStdString(*problem));
  }
  SweepFigure sweep(std::get<TSweepFigureData>(data), FigurePlotStyle(page));
  TFigure figure;
  figure.Title = QStringLiteral("Sweep");
  figure.Legend = sweep.Legend();
  figure.Plots = &sweep.Scene();
  figure.LayOut = [&sweep](QSizeF size) { sweep.LayOut(size); };
  const int columns = std::max(1, std::min(page.Columns, static_cast<int>(sweep.Charts().size())));
  const int rows = (static_cast<int>(sweep.Charts().size()) + columns - 1) / columns;
  figure.PlotsHeight = rows * PlotRowHeight(page);
  if (const QString failure = WriteFigure(output, figure, page, dpi); !failure.isEmpty()) {
    return Fail(kPlotNotWritten, failure);
  }
  return kPlotWritten;
}

}  // namespace

int RunPlotCommand(const QCommandLineParser& parser, const TPlotOptions& options,
                   const std::vector<std::string>& given) {
  std::vector<std::string> files = given;
  // Should the two readings of the command line ever differ, the parser's names stand.
  if (files.size() != static_cast<std::size_t>(parser.positionalArguments().size())) {
    files.clear();
    for (const QString& file : parser.positionalArguments()) {
      files.push_back(QFile::encodeName(file).toStdString());
    }
  }
  for (const QString& measured : parser.values(options.Measured)) {
    files.push_back(QFile::encodeName(measured).toStdString());
  }
  const QString output = parser.value(options.Output);
  if (files.empty()) return Fail(kPlotUsage, QStringLiteral("--plot needs a result file"));
  if (output.isEmpty()) {
    return Fail(kPlotUsage, QStringLiteral("--plot needs --output PLOT.pdf, PLOT.svg or PLOT.png"));
  }
  const QString suffix = QFileInfo(output).suffix().toLower();
  if (suffix != QLatin1String("png") && suffix != QLatin1String("svg") &&
      suffix != QLatin1String("pdf")) {
    return Fail(kPlotUsage,
                QStringLiteral("--output %1: name the image .png, .svg or .pdf").arg(output));
  }
  QString problem;
  const std::optional<TFigurePage> page = FigurePageOf(
      parser.isSet(options.Size) ? parser.value(options.Size) : QStringLiteral("page"), problem);
  if (!page) return Fail(kPlotUsage, problem);
  int dpi = kDefaultDpi;
  if (parser.isSet(options.Dpi)) {
    bool number = false;
    dpi = parser.value(options.Dpi).toInt(&number);
    if (!number || dpi < 24 || dpi > 1200) {
      return Fail(kPlotUsage,
                  QStringLiteral("--dpi %1: expected 24 to 1200").arg(parser.value(options.Dpi)));
    }
  }
  if (parser.isSet(options.X) || parser.isSet(options.Y) || parser.isSet(options.By)) {
    return PlotSweep(parser, options, files, output, *page, dpi);
  }

  StandardErrorSink sink;
  TProfileWindow window(sink);
  // Never shown: drawn in the figure's sizes from the start, each file once.
  window.PrepareFigure(*page);
  window.SetLogarithmicDiameter(!parser.isSet(options.LinearDiameter));
  // The figure's table and the CSV have no rows of elasticities: some 15 ms a file saved.
  window.SetElasticities(false);
  if (const QString failure = window.AddResultFiles(files); !failure.isEmpty()) {
    return Fail(kPlotFileRefused, failure);
  }
  if (parser.isSet(options.TableCsv)) {
    if (const QString failure = window.WriteNumbersCsv(parser.value(options.TableCsv));
        !failure.isEmpty()) {
      return Fail(kPlotNotWritten, failure);
    }
  }
  if (const QString failure = window.WriteFigure(output, {*page, dpi, parser.isSet(options.Table)});
      !failure.isEmpty()) {
    return Fail(kPlotNotWritten, failure);
  }
  return kPlotWritten;
}

}  // namespace vellmor::gui
