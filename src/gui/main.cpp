// vellmor: the desktop window of the spinline simulation.
//
//   vellmor                       opens the main window
//   vellmor --screenshot FILE     renders the main window to the PNG file FILE and exits
//   vellmor --plot FILE... --output PLOT.png|PLOT.svg
//                                 plots result files into an image without a window and exits
//   vellmor --version             prints the version

#include <QApplication>
#include <QBuffer>
#include <QCommandLineParser>
#include <QFile>
#include <QPixmap>
#include <cstdio>
#include <string_view>

#include "core/base/output_file.h"

#include "gui/plot_command.h"
#include "gui/start_up.h"

namespace {

// The window as a PNG, written whole through the one writer of every output: a full disk
// leaves no part of a picture, and a FIFO nobody reads is refused rather than waited on.
int SaveScreenshot(QWidget& window, const QString& file_name) {
  QApplication::processEvents();
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  if (!window.grab().save(&buffer, "PNG")) {
    std::fprintf(stderr, "vellmor: %s: the PNG image could not be drawn\n",
                 qUtf8Printable(file_name));
    return 1;
  }
  const vellmor::TOutputStatus written = vellmor::WriteWholeOutput(
      QFile::encodeName(file_name).toStdString(),
      std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
  if (written.Ok()) return 0;
  std::fprintf(stderr, "vellmor: cannot write %s: %s\n", qUtf8Printable(file_name),
               written.Reason.c_str());
  return 1;
}

}  // namespace

int main(int argc, char* argv[]) {
  if (vellmor::gui::AsksForPlot(argc, argv)) vellmor::gui::UseOffscreenPlatform();
  QApplication application(argc, argv);
  QApplication::setApplicationVersion(QStringLiteral(VELLMOR_VERSION));
  QCommandLineParser parser;
  parser.setApplicationDescription(QStringLiteral("Steady melt-spinning spinline of PET."));
  parser.addHelpOption();
  parser.addVersionOption();
  const QCommandLineOption screenshot(
      QStringLiteral("screenshot"),
      QStringLiteral("Render the main window to a PNG file and exit."), QStringLiteral("file"));
  parser.addOption(screenshot);
  const vellmor::gui::TPlotOptions plot = vellmor::gui::AddPlotOptions(parser);
  parser.process(application);
  if (parser.isSet(plot.Plot)) {
    return vellmor::gui::RunPlotCommand(parser, plot, vellmor::gui::FileArguments(argc, argv));
  }

  const std::unique_ptr<vellmor::gui::TForm1> form1 = vellmor::gui::CreateForms();
  form1->show();
  if (parser.isSet(screenshot)) return SaveScreenshot(*form1, parser.value(screenshot));
  return application.exec();
}
