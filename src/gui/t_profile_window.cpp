#include "gui/t_profile_window.h"

#include <QApplication>
#include <QBoxLayout>
#include <QBuffer>
#include <QCheckBox>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QPushButton>
#include <QSvgGenerator>
#include <algorithm>
#include <array>
#include <filesystem>
#include <string_view>
#include <system_error>

#include "gui/figure_colours.h"
#include "gui/figure_writer.h"
#include "gui/plot_legend.h"
#include "gui/process_numbers_table.h"
#include "gui/profile_curves.h"
#include "gui/profile_plots.h"
#include "vellmor/analysis/result_file_numbers.h"
#include "vellmor/base/number_text.h"
#include "vellmor/base/output_file.h"
#include "vellmor/documents/varied_inputs.h"
#include "vellmor/report/header_layout.h"
#include "vellmor/run/result_file_run.h"

namespace vellmor::gui {
namespace {

constexpr QSize kInitialSize{1100, 860};
// The widest the notes under the table may be (px).
constexpr int kNoteWidth = 240;

// The fitted constants with their 95 % intervals.
TFigureTable ConstantsTable(const std::vector<TFittedConstant>& constants) {
  TFigureTable table;
  table.Corner = QStringLiteral("Fitted constant");
  table.Heads = {QStringLiteral("Estimate"), QStringLiteral("95 % interval")};
  for (const TFittedConstant& constant : constants) {
    table.RowLabels << QString::fromStdString(constant.Key);
    QString interval = QStringLiteral("–");
    if (constant.Lo && constant.Hi) {
      interval = QString::fromStdString(SignificantText(*constant.Lo, 4)) + QStringLiteral(" to ") +
                 QString::fromStdString(SignificantText(*constant.Hi, 4)) +
                 (constant.Profile ? QStringLiteral(" (profile)") : QStringLiteral(" (Wald)"));
    }
    table.Cells.push_back(
        {QString::fromStdString(SignificantText(constant.Estimate, 4)), interval});
  }
  return table;
}

// Replaces the entry of the same path, or adds one after the others: a file read again keeps
// its place, and so its colour.
template <typename Entry>
void Keep(std::vector<Entry>& entries, Entry entry) {
  const auto same = std::find_if(entries.begin(), entries.end(),
                                 [&entry](const Entry& e) { return e.Path == entry.Path; });
  if (same != entries.end()) {
    *same = std::move(entry);
  } else {
    entries.push_back(std::move(entry));
  }
}

}  // namespace

QString PlotProblem(const QString& file_name, const TResultFileError& error) {
  const QString message = QString::fromStdString(error.Message);
  if (error.Line <= 0) return file_name + u' ' + message;
  return file_name + QStringLiteral(" is not a result file: line %1: ").arg(error.Line) + message;
}

TProfileWindow::TProfileWindow(MessageSink& sink, QWidget* parent)
    : QWidget(parent, Qt::Window),
      sink_(sink),
      picture_(new QWidget(this)),
      legend_(new PlotLegend(picture_)),
      plots_(new ProfilePlots(picture_)),
      numbers_(new ProcessNumbersTable(picture_)),
      converged_note_(new QLabel(picture_)) {
  setObjectName(QStringLiteral("ProfileWindow"));
  setWindowTitle(QStringLiteral("Spinline profiles"));
  picture_->setObjectName(QStringLiteral("ProfilePicture"));
  picture_->setAutoFillBackground(true);
  picture_->setBackgroundRole(QPalette::Base);

  auto* note =
      new QLabel(QStringLiteral("The freeze point: where the filament falls below %1 °C; the "
                                "onset: where the crystallinity reaches 1 %.\n"
                                "The numbers are the runner's: each file's conditions run again "
                                "(a JSON export's are its own).\n"
                                "Converged: the converged model of each file's conditions; the "
                                "tension error is the file's spinneret tension against it.\n"
                                "Moves the freeze point most: the input or model-card constant "
                                "of largest elasticity d ln(freeze point) / d ln p there.")
                     .arg(kGlassTransition),
                 picture_);
  note->setObjectName(QStringLiteral("ProfileNote"));
  note->setWordWrap(true);
  converged_note_->setObjectName(QStringLiteral("ConvergedNote"));
  converged_note_->setWordWrap(true);
  converged_note_->hide();
  // The notes wrap rather than widen the column: the plots keep the rest.
  for (QLabel* label : {note, converged_note_}) label->setMaximumWidth(kNoteWidth);
  auto* side = new QVBoxLayout;
  side->addWidget(numbers_);
  side->addWidget(note);
  side->addWidget(converged_note_);
  side->addStretch(1);
  auto* plot_column = new QVBoxLayout;
  plot_column->addWidget(legend_);
  plot_column->addWidget(plots_, 1);
  auto* picture_layout = new QHBoxLayout(picture_);
  picture_layout->addLayout(plot_column, 1);
  picture_layout->addLayout(side);

  auto* save = new QPushButton(QStringLiteral("&Save image…"), this);
  save->setObjectName(QStringLiteral("SaveImageButton"));
  save->setToolTip(
      QStringLiteral("Write the plots and the table as a PNG or SVG image or a PDF document"));
  log_diameter_ = new QCheckBox(QStringLiteral("&Logarithmic diameter"), this);
  log_diameter_->setObjectName(QStringLiteral("LogDiameterBox"));
  log_diameter_->setChecked(plots_->LogarithmicDiameter());
  log_diameter_->setToolTip(
      QStringLiteral("Diameter on a logarithmic axis, so that final diameters apart by a few µm "
                     "are told apart beside the hole's hundreds"));
  connect(log_diameter_, &QCheckBox::toggled, this, &TProfileWindow::SetLogarithmicDiameter);
  auto* clear = new QPushButton(QStringLiteral("C&lear"), this);
  clear->setObjectName(QStringLiteral("ClearButton"));
  clear->setToolTip(QStringLiteral("Remove every file from the plots"));
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(log_diameter_);
  buttons->addStretch(1);
  buttons->addWidget(save);
  buttons->addWidget(clear);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(picture_, 1);
  layout->addLayout(buttons);
  connect(save, &QPushButton::clicked, this, &TProfileWindow::SaveImageClicked);
  connect(clear, &QPushButton::clicked, this, &TProfileWindow::ClearOverlay);
  resize(kInitialSize);
}

TProfileWindow::~TProfileWindow() = default;

bool TProfileWindow::OpenResultFile(const QString& path) {
  const QString failure = AddResultFile(path);
  if (failure.isEmpty()) return true;
  sink_.ShowMessage(failure.toStdString());
  return false;
}

QString TProfileWindow::AddResultFile(const QString& path) {
  return AddResultFiles({QFile::encodeName(path).toStdString()});
}

QString TProfileWindow::AddResultFiles(const std::vector<std::string>& paths) {
  std::vector<TPlottedFile> read;
  std::vector<TOverlayFile> overlays;
  std::vector<TDocumentFile> documents;
  read.reserve(paths.size());
  for (const std::string& path : paths) {
    const std::filesystem::path native(path);
    const QString name = QFile::decodeName(QByteArray::fromStdString(native.filename().string()));
    // Measurements and fits are told from result files by their first bytes, and only they
    // are read here; anything but a regular file is left to the result file's reader, which
    // refuses it rather than wait on it (a FIFO nobody writes).
    std::error_code regular_error;
    if (QFile file(QFile::decodeName(QByteArray::fromStdString(path)));
        std::filesystem::is_regular_file(native, regular_error) && file.open(QIODevice::ReadOnly) &&
        file.size() <= qint64{64} << 20) {
      const QByteArray head = file.peek(4096);
      // What the file is, the core decides: a result file is what is none of its documents.
      if (MayBeDocument(
              std::string_view(head.constData(), static_cast<std::size_t>(head.size())))) {
        const QByteArray bytes = file.readAll();
        const std::string_view text(bytes.constData(), static_cast<std::size_t>(bytes.size()));
        const DocumentKind kind = DocumentKindOf(text);
        const std::string file_name = name.toStdString();
        if (kind == DocumentKind::kRunJson || kind == DocumentKind::kSolveJson ||
            kind == DocumentKind::kProfileCsv || kind == DocumentKind::kOtherJson) {
          auto document = kind == DocumentKind::kProfileCsv ? ReadProfileCsv(text, file_name)
                                                            : ReadProfileJson(text, file_name);
          if (const auto* problem = std::get_if<std::string>(&document)) {
            return QString::fromStdString(*problem);
          }
          documents.push_back({path, name, std::get<TProfileDocument>(std::move(document))});
          continue;
        }
        if (kind == DocumentKind::kFitJson || kind == DocumentKind::kMeasuredCsv) {
          std::vector<std::string> warnings;
          std::vector<TFittedConstant> constants;
          auto sets = ReadOverlay(text, name, kind, warnings, constants);
          if (const QString* problem = std::get_if<QString>(&sets)) return *problem;
          overlays.push_back({path, name, std::get<std::vector<TOverlaySet>>(std::move(sets)),
                              std::move(warnings), std::move(constants)});
          continue;
        }
        if (kind == DocumentKind::kSweepSummary) {
          return name +
                 QStringLiteral(" is the summary of a sweep: plot it alone, with --x and --y");
        }
      }
    }
    TResultFileReading reading = ReadResultFile(native);
    if (!reading.Contents) return PlotProblem(name, reading.Error);
    if (reading.Contents->Rows.empty()) {
      // A run that failed after its header: nothing to draw.
      return PlotProblem(name, {kHeaderLineCount + 1,
                                "expected the first row of the table of results, found none "
                                "(its run did not finish)"});
    }
    if (const std::optional<TResultFileError> problem = NotShowable(*reading.Contents)) {
      return PlotProblem(name, *problem);
    }
    std::error_code error;
    std::filesystem::path absolute = std::filesystem::absolute(native, error);
    if (error) absolute = native;
    TPlottedFile file{
        absolute.lexically_normal().string(), name, std::move(*reading.Contents), {}, {}, {}, {}};
    // The runner's numbers, to the bit, where the file's conditions run again give its table.
    TResultFileNumbers numbers = ResultFileNumbers(file.Contents);
    file.Numbers = numbers.Numbers;
    file.NumbersNote = std::move(numbers.Why);
    // Solved once per reading: a fraction of a millisecond for a profile of 101 points.
    file.Accuracy = CheckAccuracy(file.Contents);
    // Some eighty neighbouring solutions, from the one just found: about 15 ms.
    if (file.Accuracy.Solution && elasticities_) {
      file.Sensitivities =
          ComputeSensitivities(file.Contents.Condition, {}, *file.Accuracy.Solution);
    }
    read.push_back(std::move(file));
  }
  for (TPlottedFile& file : read) Keep(files_, std::move(file));
  for (TDocumentFile& document : documents) Keep(documents_, std::move(document));
  for (TOverlayFile& overlay : overlays) Keep(overlays_, std::move(overlay));
  Replot();
  return {};
}

namespace {

// The three parameters of largest |elasticity| for the freeze point.
std::array<std::optional<std::pair<QString, double>>, 3> FreezeKnobs(
    const std::optional<TSensitivities>& sensitivities) {
  std::array<std::optional<std::pair<QString, double>>, 3> knobs;
  if (!sensitivities) return knobs;
  constexpr std::size_t kFreezePoint = 2;
  static_assert(kSensitivityOutputs[kFreezePoint] == "freeze_point_cm");
  const std::vector<std::size_t> order = ByMagnitude(*sensitivities, kFreezePoint);
  for (std::size_t k = 0; k < knobs.size() && k < order.size(); ++k) {
    const std::optional<double>& e = sensitivities->Elasticity[kFreezePoint][order[k]];
    if (!e) break;
    const std::string_view name = sensitivities->Parameters[order[k]].Name;
    knobs[k] = {QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())), *e};
  }
  return knobs;
}

}  // namespace

void TProfileWindow::SetLogarithmicDiameter(bool logarithmic) {
  if (log_diameter_->isChecked() != logarithmic) log_diameter_->setChecked(logarithmic);
  if (plots_->LogarithmicDiameter() == logarithmic) return;
  plots_->SetLogarithmicDiameter(logarithmic);
  Replot();
}

void TProfileWindow::ClearOverlay() {
  files_.clear();
  documents_.clear();
  overlays_.clear();
  Replot();
}

void TProfileWindow::PrepareFigure(const TFigurePage& page) {
  plots_->SetStyle(FigurePlotStyle(page), page.Width);
  styled_for_ = page;
}

QString TProfileWindow::WriteFigure(const QString& path, const TFigureOptions& options) {
  const bool styled = styled_for_ && styled_for_->Width == options.Page.Width &&
                      styled_for_->Font == options.Page.Font &&
                      styled_for_->Columns == options.Page.Columns;
  if (!styled) {
    PrepareFigure(options.Page);
    Replot();
  }
  TFigure figure;
  figure.Title = QStringLiteral("Spinline profiles");
  figure.Legend = legend_->Content();
  figure.Plots = &plots_->Scene();
  figure.LayOut = [this](QSizeF size) { plots_->LayOut(size); };
  const int columns = std::max(1, std::min(options.Page.Columns, plots_->ShownPlots()));
  const int rows = (plots_->ShownPlots() + columns - 1) / columns;
  figure.PlotsHeight = rows * PlotRowHeight(options.Page);
  if (options.Table) figure.Tables.push_back(NumbersFigureTable(columns_, heads_, head_colours_));
  std::vector<TFittedConstant> constants;
  for (const TOverlayFile& overlay : overlays_) {
    constants.insert(constants.end(), overlay.Constants.begin(), overlay.Constants.end());
  }
  if (!constants.empty()) figure.Tables.push_back(ConstantsTable(constants));
  const QString failure = gui::WriteFigure(path, figure, options.Page, options.Dpi);
  // The window's own look again, where a window shows it.
  if (isVisible()) {
    plots_->SetStyle(plots_->WindowStyle());
    styled_for_.reset();
    Replot();
  }
  return failure;
}

QString TProfileWindow::SaveImage(const QString& path) {
  QString problem;
  return WriteFigure(path, {*FigurePageOf(QStringLiteral("page"), problem), 300, true});
}

QString TProfileWindow::WriteNumbersCsv(const QString& path) const {
  const std::string csv = NumbersCsv(columns_, heads_);
  const TOutputStatus written = WriteWholeOutput(QFile::encodeName(path).toStdString(), csv);
  if (!written.Ok()) {
    return QStringLiteral("Can not write the table %1: %2")
        .arg(path, QString::fromStdString(written.Reason));
  }
  return {};
}

QStringList TProfileWindow::FileNames() const {
  QStringList names;
  for (const TPlottedFile& file : files_) names << file.Name;
  for (const TDocumentFile& document : documents_) names << document.Name;
  for (const TOverlayFile& overlay : overlays_) names << overlay.Name;
  return names;
}

void TProfileWindow::SaveImageClicked() {
  QString selected_filter;
  QString path = QFileDialog::getSaveFileName(
      this, QStringLiteral("Save image"), QStringLiteral("profile.png"),
      QStringLiteral("PNG image (*.png);;SVG image (*.svg);;PDF document (*.pdf)"),
      &selected_filter);
  if (path.isEmpty()) return;
  if (QFileInfo(path).suffix().isEmpty()) {
    path += selected_filter.contains(QLatin1String("svg"))   ? QStringLiteral(".svg")
            : selected_filter.contains(QLatin1String("pdf")) ? QStringLiteral(".pdf")
                                                             : QStringLiteral(".png");
  }
  if (const QString failure = SaveImage(path); !failure.isEmpty()) {
    sink_.ShowMessage(failure.toStdString());
  }
}

// Every file again from the start, each case in the colour of its place (a file read again
// keeps its colour), named by what tells it from the others; a result file's converged
// solution dashed in the same colour.
void TProfileWindow::Replot() {
  // The cases, each a colour: the result files, the exports, then every case of the
  // measurements and fits.
  std::vector<TCaseInputs> inputs;
  std::vector<QString> names;
  for (const TPlottedFile& file : files_) {
    inputs.push_back(CaseInputsOf(file.Contents.Condition));
    names.push_back(file.Name);
  }
  for (const TDocumentFile& file : documents_) {
    inputs.push_back(file.Document.Inputs);
    names.push_back(file.Name);
  }
  for (const TOverlayFile& overlay : overlays_) {
    for (const TOverlaySet& set : overlay.Sets) {
      inputs.push_back(set.Inputs);
      names.push_back(set.Name);
    }
  }
  const TVariedInputs varied = VariedInputs(inputs);
  const std::vector<QColor> colours = CaseColours(varied.Values);
  QStringList labels;
  for (std::size_t c = 0; c < names.size(); ++c) {
    labels << (varied.Labels[c].empty() ? names[c] : QString::fromStdString(varied.Labels[c]));
  }
  // Two cases of the same inputs (a file and its export) keep their names beside them.
  for (qsizetype c = 0; c < labels.size(); ++c) {
    if (labels.count(labels[c]) > 1 && labels[c] != names[static_cast<std::size_t>(c)]) {
      labels[c] += QStringLiteral(" (") + names[static_cast<std::size_t>(c)] + u')';
    }
  }
  std::vector<ProfilePlots::TCurveSet> sets;
  sets.reserve(2 * files_.size() + documents_.size());
  columns_.clear();
  heads_.clear();
  head_colours_.clear();
  QStringList failures;
  std::size_t slot = 0;
  for (const TPlottedFile& file : files_) {
    const QColor colour = colours[slot];
    const QString label = labels[static_cast<qsizetype>(slot++)];
    std::optional<double> freeze_x;
    if (file.Numbers.Freeze) freeze_x = file.Numbers.Freeze->PositionCm;
    sets.push_back(
        {CurvesOf(file.Contents.Rows), {file.Name, colour, Qt::SolidLine, label}, freeze_x});
    const TAccuracyCheck& accuracy = file.Accuracy;
    if (accuracy.Solution) {
      // The converged model's air is the file's: drawn once.
      sets.push_back({CurvesOf(accuracy.Solution->Profile),
                      {file.Name + QStringLiteral(": converged"), colour, Qt::DashLine, label},
                      accuracy.Solution->FreezePoint,
                      {},
                      std::nullopt,
                      false});
    } else {
      failures << file.Name + QStringLiteral(": ") + QString::fromStdString(accuracy.Failure);
    }
    if (!file.NumbersNote.empty()) {
      failures << file.Name + QStringLiteral(": numbers from the printed table, as ") +
                      QString::fromStdString(file.NumbersNote);
    }
    columns_.push_back({file.Name, QFile::decodeName(QByteArray::fromStdString(file.Path)),
                        file.Numbers, std::nullopt, accuracy.Report,
                        QString::fromStdString(accuracy.Failure), FreezeKnobs(file.Sensitivities)});
    heads_ << label;
    head_colours_.push_back(colour);
  }
  // The exports after the result files, each as it was written.
  for (const TDocumentFile& file : documents_) {
    const QColor colour = colours[slot];
    const QString label = labels[static_cast<qsizetype>(slot++)];
    const TProfileDocument& document = file.Document;
    std::optional<double> freeze_x;
    if (document.Numbers.Freeze) freeze_x = document.Numbers.Freeze->PositionCm;
    std::optional<double> onset_x;
    if (document.Structure) onset_x = document.Structure->Onset;
    sets.push_back({CurvesOf(document.Profile),
                    {file.Name, colour, document.Converged ? Qt::DashLine : Qt::SolidLine, label},
                    freeze_x,
                    {},
                    onset_x});
    columns_.push_back({file.Name,
                        QFile::decodeName(QByteArray::fromStdString(file.Path)),
                        document.Numbers,
                        document.Structure,
                        std::nullopt,
                        QString(),
                        {}});
    heads_ << label;
    head_colours_.push_back(colour);
  }
  // Measurements and fits after the files, each case in its own colour; a fitted profile
  // dashed, as a converged solution is.
  for (const TOverlayFile& overlay : overlays_) {
    for (const std::string& warning : overlay.Warnings) {
      failures << overlay.Name + QStringLiteral(": ") + QString::fromStdString(warning);
    }
    for (const TOverlaySet& set : overlay.Sets) {
      const QColor colour = colours[slot];
      const QString label = labels[static_cast<qsizetype>(slot++)];
      sets.push_back({set.Curves.value_or(TProfileCurves{}),
                      {set.Name, colour, Qt::DashLine, label},
                      std::nullopt,
                      set.Points,
                      std::nullopt,
                      false});
    }
  }
  plots_->Show(sets);
  TLegendContent legend = LegendEntries(sets);
  if (colours.size() > kPaletteSize) {
    // Too many cases to name one by one: the ramp's bar, keyed as the colours are.
    if (KeyedToValues(varied.Values)) {
      const auto [low, high] = std::minmax_element(varied.Values.begin(), varied.Values.end());
      legend.Bar =
          TColourBar{QString::fromStdString(InputTitle(varied.Keys.front())), **low, **high};
    } else {
      legend.Bar = TColourBar{QStringLiteral("Case, in the order given"), 1.0,
                              static_cast<double>(colours.size())};
    }
  }
  legend_->SetContent(std::move(legend));
  numbers_->SetColumns(columns_);
  converged_note_->setText(failures.join(u'\n'));
  converged_note_->setVisible(!failures.isEmpty());
}

}  // namespace vellmor::gui
