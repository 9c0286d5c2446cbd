#pragma once

#include <QCommandLineOption>
#include <string>
#include <vector>

class QCommandLineParser;

namespace vellmor::gui {

// Exit statuses of vellmor --plot.
inline constexpr int kPlotWritten = 0;
inline constexpr int kPlotFileRefused = 1;  // a result file could not be read
inline constexpr int kPlotUsage =
    64;  // no file, no --output, an unknown image type, a size, a column
inline constexpr int kPlotNotWritten = 73;  // the image could not be written

// The options of vellmor --plot FILE... --output PLOT.png: the viewer's picture of the files,
// written without showing a window, for scripts and reports.
struct TPlotOptions {
  QCommandLineOption Plot;
  QCommandLineOption Output;
  QCommandLineOption Measured;
  QCommandLineOption Size;            // column, page, slide, or WxH in cm
  QCommandLineOption Dpi;             // dots per inch of a PNG
  QCommandLineOption LinearDiameter;  // the diameter on a linear axis
  QCommandLineOption Table;           // the numbers' table under the plots
  QCommandLineOption TableCsv;        // the numbers as CSV
  QCommandLineOption X;               // a sweep's: the varied input along x
  QCommandLineOption Y;               // the numbers plotted against it
  QCommandLineOption By;              // the input whose values make the series
};

// True when the arguments ask for --plot. Looked at before the application exists, so that no
// window system is needed for it.
bool AsksForPlot(int argc, char** argv);

// Draws on the offscreen platform unless QT_QPA_PLATFORM names one already; call before the
// application is created.
void UseOffscreenPlatform();

TPlotOptions AddPlotOptions(QCommandLineParser& parser);

// The file arguments of the command line as the bytes given, argv being what the application
// left of it: names that are not UTF-8 reach the files they name unchanged.
std::vector<std::string> FileArguments(int argc, char** argv);

// Plots the files given as arguments (files: their bytes, from FileArguments) into the figure
// named by --output (PDF, SVG or PNG, by its suffix), at --size (and --dpi for a PNG), reading
// and drawing them all once; or a sweep's summary with --x and --y. Messages go to standard
// error; returns the exit status.
int RunPlotCommand(const QCommandLineParser& parser, const TPlotOptions& options,
                   const std::vector<std::string>& files);

}  // namespace vellmor::gui
