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
          QStringLiteral("Plot the result files (and the JSON of fits, measured data) given as "
                         "arguments into the image named by "
                         "--output, without a window, and exit (status 1: a file is not a "
                         "result file; 64: no file, no --output or an unknown image type; "
                         "73: the image could not be written).")),
      QCommandLineOption(QStringLiteral("output"),
                         QStringLiteral("The image --plot writes: PLOT.png or PLOT.svg."),
                         QStringLiteral("image")),
      QCommandLineOption(QStringLiteral("measured"),
                         QStringLiteral("Measured data (CSV of vellmor-cli fit) to draw over the "
                                        "files, with --plot; repeatable. The JSON of a fit may "
                                        "be given as a file."),
                         QStringLiteral("file.csv")),
  };
  parser.addOption(options.Plot);
  parser.addOption(options.Output);
  parser.addOption(options.Measured);
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
      if ((argument == "--output" || argument == "--screenshot" || argument == "--measured") &&
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
  if (suffix != QLatin1String("png") && suffix != QLatin1String("svg")) {
    return Fail(kPlotUsage, QStringLiteral("--output %1: name the image .png or .svg").arg(output));
  }

  StandardErrorSink sink;
  TProfileWindow window(sink);
  // Laid out and drawn as on the screen, but never shown there.
  window.setAttribute(Qt::WA_DontShowOnScreen);
  window.resize(kPlotWindowSize);
  window.show();
  if (const QString failure = window.AddResultFiles(files); !failure.isEmpty()) {
    return Fail(kPlotFileRefused, failure);
  }
  QApplication::processEvents();
  if (const QString failure = window.SaveImage(output); !failure.isEmpty()) {
    return Fail(kPlotNotWritten, failure);
  }
  return kPlotWritten;
}

}  // namespace vellmor::gui
