#include "gui/plot_command.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QFile>
#include <QFileInfo>
#include <cstdio>
#include <cstring>
#include <string_view>

#include "gui/t_profile_window.h"

namespace vellmor::gui {
namespace {

// The size of the picture a script gets: the viewer's, wide enough for a few files' numbers.
constexpr QSize kPlotWindowSize{1100, 860};
// The smallest picture the plots and the table fit into, and the largest side drawn.
constexpr QSize kMinimumPicture{640, 480};
constexpr int kMaximumPictureSide = 16384;

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
                         QStringLiteral("The picture's size in pixels at 96 dpi, with --plot "
                                        "(default 1078x810)."),
                         QStringLiteral("WxH")),
      QCommandLineOption(QStringLiteral("dpi"),
                         QStringLiteral("Dots per inch of the image, with --plot (default 96; "
                                        "a PNG of 1078x810 at 192 dpi has 2156x1620 pixels)."),
                         QStringLiteral("N")),
      QCommandLineOption(QStringLiteral("linear-diameter"),
                         QStringLiteral("The diameter on a linear axis, with --plot (default: "
                                        "logarithmic).")),
  };
  parser.addOption(options.Plot);
  parser.addOption(options.Output);
  parser.addOption(options.Measured);
  parser.addOption(options.Size);
  parser.addOption(options.Dpi);
  parser.addOption(options.LinearDiameter);
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
           argument == "--size" || argument == "--dpi") &&
          i + 1 < argc) {
        ++i;
      }
      continue;
    }
    files.emplace_back(argument);
  }
  return files;
}

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
    return Fail(kPlotUsage, QStringLiteral("--plot needs --output PLOT.png or PLOT.svg"));
  }
  const QString suffix = QFileInfo(output).suffix().toLower();
  if (suffix != QLatin1String("png") && suffix != QLatin1String("svg") &&
      suffix != QLatin1String("pdf")) {
    return Fail(kPlotUsage,
                QStringLiteral("--output %1: name the image .png, .svg or .pdf").arg(output));
  }
  TProfileWindow::TImageOptions image;
  if (parser.isSet(options.Size)) {
    const QStringList sides = parser.value(options.Size).split(u'x');
    bool wide = false;
    bool high = false;
    const int width = sides.size() == 2 ? sides[0].toInt(&wide) : 0;
    const int height = sides.size() == 2 ? sides[1].toInt(&high) : 0;
    if (!wide || !high || width < kMinimumPicture.width() || height < kMinimumPicture.height() ||
        width > kMaximumPictureSide || height > kMaximumPictureSide) {
      return Fail(kPlotUsage, QStringLiteral("--size %1: expected WxH in pixels, from %2x%3 to "
                                             "%4x%4")
                                  .arg(parser.value(options.Size))
                                  .arg(kMinimumPicture.width())
                                  .arg(kMinimumPicture.height())
                                  .arg(kMaximumPictureSide));
    }
    image.Size = QSize(width, height);
  }
  if (parser.isSet(options.Dpi)) {
    bool number = false;
    image.Dpi = parser.value(options.Dpi).toInt(&number);
    if (!number || image.Dpi < 24 || image.Dpi > 1200) {
      return Fail(kPlotUsage,
                  QStringLiteral("--dpi %1: expected 24 to 1200").arg(parser.value(options.Dpi)));
    }
  }

  StandardErrorSink sink;
  TProfileWindow window(sink);
  // Laid out and drawn as on the screen, but never shown there.
  window.setAttribute(Qt::WA_DontShowOnScreen);
  window.resize(kPlotWindowSize);
  window.show();
  window.SetLogarithmicDiameter(!parser.isSet(options.LinearDiameter));
  if (const QString failure = window.AddResultFiles(files); !failure.isEmpty()) {
    return Fail(kPlotFileRefused, failure);
  }
  QApplication::processEvents();
  if (const QString failure = window.SaveImage(output, image); !failure.isEmpty()) {
    return Fail(kPlotNotWritten, failure);
  }
  return kPlotWritten;
}

}  // namespace vellmor::gui
