#pragma once

#include <QColor>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <string>
#include <vector>

#include "gui/figure_page.h"
#include "gui/measured_overlay.h"
#include "gui/process_numbers_table.h"
#include "vellmor/analysis/process_numbers.h"
#include "vellmor/base/message_sink.h"
#include "vellmor/converged/accuracy_check.h"
#include "vellmor/documents/profile_document.h"
#include "vellmor/report/read_result_file.h"
#include "vellmor/sensitivity/sensitivities.h"

class QCheckBox;
class QLabel;

namespace vellmor::gui {

class PlotLegend;
class ProcessNumbersTable;
class ProfilePlots;

// The profile viewer: result files plotted against the distance from the spinneret, several
// overlaid for comparison, with the process numbers of each beside the plots. Beside each
// file, dashed, the converged solution of its conditions at its positions, and how far the
// file's spinneret tension is from it; where the converged solution fails, the classical curves
// stay and a note says why. It reads and shows; the numbers come from the core.
class TProfileWindow : public QWidget {
  Q_OBJECT

 public:
  explicit TProfileWindow(MessageSink& sink, QWidget* parent = nullptr);
  ~TProfileWindow() override;

  // Plots a result file over those already shown (or the JSON export of a run or of solve,
  // with the fibre's structure where it carries it; or measured data, or the JSON of a fit:
  // their points with ±σ bars, a fit's cases also solved again with the fitted card); a file
  // already shown is read again and replaced, so that a new run into the same file is seen. A file
  // that is not a result file, or cannot be read, is reported through the sink (naming the file and
  // the line) and changes nothing; false then.
  bool OpenResultFile(const QString& path);

  // OpenResultFile without a message: the description of the failure, or an empty text.
  QString AddResultFile(const QString& path);

  // Several files at once, each read once and the whole overlay drawn once, so that the time
  // grows with the number of files and not with its square. paths are the file names' bytes
  // as the system takes them (a name need not be UTF-8). Stops at the first file that cannot
  // be shown, leaving the overlay as it was; its description, or an empty text.
  QString AddResultFiles(const std::vector<std::string>& paths);

  // Removes every file from the plots and the table.
  void ClearOverlay();

  // The diameter on a logarithmic axis (the default) or a linear one, as the window's box.
  void SetLogarithmicDiameter(bool logarithmic);

  // How a figure is drawn: its page, the dots per inch of a PNG, and whether the numbers'
  // table is drawn under the plots.
  struct TFigureOptions {
    TFigurePage Page;
    int Dpi = 300;
    bool Table = false;
  };

  // Draws the plots in a figure's type and line sizes from now on, so that a figure of many
  // files drawn next is drawn once.
  void PrepareFigure(const TFigurePage& page);

  // Writes the figure (the legend, the plots, the table where asked and a fit's constants) as
  // a PDF, SVG or PNG by the name's suffix: vectors and text but in a PNG. The description of
  // the failure, or an empty text.
  QString WriteFigure(const QString& path, const TFigureOptions& options);
  // The window's "Save image…": a page-wide figure with the table.
  QString SaveImage(const QString& path);
  // The numbers of every file as CSV (NumbersCsv), written whole; the failure, or an empty text.
  QString WriteNumbersCsv(const QString& path) const;

  // Whether each result file's elasticities are computed (some 15 ms a file) for the table's
  // rows of what moves the freeze point most; on unless a figure without the table is all
  // that is wanted. Takes effect for the files read next.
  void SetElasticities(bool computed) { elasticities_ = computed; }

  // The names of the files shown, in the order they were opened.
  QStringList FileNames() const;

  QWidget& Picture() const { return *picture_; }
  ProfilePlots& Plots() const { return *plots_; }
  PlotLegend& Legend() const { return *legend_; }
  ProcessNumbersTable& NumbersTable() const { return *numbers_; }
  // The failures of the converged solution, one line per file; hidden when there are none.
  QLabel& ConvergedNote() const { return *converged_note_; }

 private:
  // One file of the overlay with what was read from it.
  struct TPlottedFile {
    std::string Path;  // absolute, the bytes of its name
    QString Name;
    TResultFileContents Contents;
    TProcessNumbers Numbers;
    // Empty where the numbers are the runner's; else why they are the printed table's.
    std::string NumbersNote;
    TAccuracyCheck Accuracy;  // the converged solution of its conditions at its positions
    // Its elasticities, where the converged solution was found.
    std::optional<TSensitivities> Sensitivities;
  };

  // A runner's or solve's JSON export: drawn as it was written, solid for a run and dashed
  // for the converged model, with its own column in the table.
  struct TDocumentFile {
    std::string Path;
    QString Name;
    TProfileDocument Document;
  };

  // Measurements or a fit drawn over the files: each of its cases a set of points, a fit's
  // with its fitted profile.
  struct TOverlayFile {
    std::string Path;
    QString Name;
    std::vector<TOverlaySet> Sets;
    std::vector<std::string> Warnings;       // a fitted card's, read with the built-in constants
    std::vector<TFittedConstant> Constants;  // a fit's
  };

  void SaveImageClicked();
  void Replot();

  MessageSink& sink_;
  QWidget* picture_;
  PlotLegend* legend_;
  ProfilePlots* plots_;
  QCheckBox* log_diameter_ = nullptr;
  ProcessNumbersTable* numbers_;
  QLabel* converged_note_;
  std::vector<TPlottedFile> files_;
  std::vector<TDocumentFile> documents_;
  std::vector<TOverlayFile> overlays_;
  bool elasticities_ = true;
  std::optional<TFigurePage> styled_for_;  // the figure the plots are styled for, if any
  // What the last Replot drew, for a figure: the table's columns, their heads and colours.
  std::vector<TNumbersColumn> columns_;
  QStringList heads_;
  std::vector<QColor> head_colours_;
};

// Why a file cannot be plotted, naming it: "zeta.txt is not a result file: line 1: …".
QString PlotProblem(const QString& file_name, const TResultFileError& error);

}  // namespace vellmor::gui
