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
#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <cstdio>
#include <cstring>
#include <string_view>

#include "vellmor/base/output_file.h"

#include "gui/plot_command.h"
#include "gui/spinline_picture.h"
#include "gui/start_up.h"

namespace {

// An image as a PNG, written whole through the one writer of every output: a full disk leaves
// no part of a picture, and a FIFO nobody reads is refused rather than waited on.
int SavePng(const QImage& image, const QString& file_name, int unwritable) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  if (!image.save(&buffer, "PNG")) {
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
  return unwritable;
}

// The window as a PNG.
int SaveScreenshot(QWidget& window, const QString& file_name) {
  QApplication::processEvents();
  return SavePng(window.grab().toImage(), file_name, 1);
}

// --help and --version print and exit: they need no display, and must not fail for want of
// one (a shell on a server, a package's build).
bool AsksOnlyToPrint(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    for (const char* option : {"-h", "-?", "--help", "--help-all", "-v", "--version"}) {
      if (std::strcmp(argv[i], option) == 0) return true;
    }
  }
  return false;
}

// The desktop icon: the main window's spinline picture on a white rounded square, 256 px, as a
// PNG for the package.
int SaveIcon(const QString& file_name) {
  constexpr int kSize = 256;
  QImage icon(kSize, kSize, QImage::Format_ARGB32_Premultiplied);
  icon.fill(Qt::transparent);
  QPainter painter(&icon);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setRenderHint(QPainter::SmoothPixmapTransform);
  painter.setPen(QPen(QColor(0x60, 0x60, 0x60), 4));
  painter.setBrush(Qt::white);
  painter.drawRoundedRect(QRectF(4, 4, kSize - 8, kSize - 8), 28, 28);
  const QPixmap picture = vellmor::gui::DrawSpinlinePicture();
  const QPixmap scaled =
      picture.scaled(kSize - 40, kSize - 40, Qt::KeepAspectRatio, Qt::SmoothTransformation);
  painter.drawPixmap((kSize - scaled.width()) / 2, (kSize - scaled.height()) / 2, scaled);
  painter.end();
  return SavePng(icon, file_name, 73);
}

}  // namespace

int main(int argc, char* argv[]) {
  if (AsksOnlyToPrint(argc, argv)) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
  } else if (vellmor::gui::AsksForPlot(argc, argv) ||
             std::strcmp(argc > 1 ? argv[1] : "", "--write-icon") == 0) {
    vellmor::gui::UseOffscreenPlatform();
  }
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
  // For the package's build: the desktop icon.
  QCommandLineOption icon(QStringLiteral("write-icon"), QStringLiteral("Write the icon."),
                          QStringLiteral("file"));
  icon.setFlags(QCommandLineOption::HiddenFromHelp);
  parser.addOption(icon);
  const vellmor::gui::TPlotOptions plot = vellmor::gui::AddPlotOptions(parser);
  parser.process(application);
  if (parser.isSet(icon)) return SaveIcon(parser.value(icon));
  if (parser.isSet(plot.Plot)) {
    return vellmor::gui::RunPlotCommand(parser, plot, vellmor::gui::FileArguments(argc, argv));
  }

  const std::unique_ptr<vellmor::gui::TForm1> form1 = vellmor::gui::CreateForms();
  form1->show();
  if (parser.isSet(screenshot)) return SaveScreenshot(*form1, parser.value(screenshot));
  return application.exec();
}
