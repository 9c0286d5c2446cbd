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

#include "vellmor/analysis/result_file_numbers.h"
#include "vellmor/base/output_file.h"
#include "vellmor/report/header_layout.h"
#include "vellmor/run/result_file_run.h"
#include "gui/plot_legend.h"
#include "gui/process_numbers_table.h"
#include "gui/profile_curves.h"
#include "gui/profile_plots.h"

namespace vellmor::gui {
namespace {

constexpr QSize kInitialSize{1100, 860};
// The widest the notes under the table may be (px).
constexpr int kNoteWidth = 240;

// Colours told apart on screen, in print and by readers with a colour vision deficiency (Okabe
// and Ito's palette), one per file in the order they are opened; its yellow, faint on white,
// comes last.
constexpr std::array<QRgb, 8> kFileColours{0x0072b2, 0xd55e00, 0x009e73, 0xcc79a7,
                                           0xe69f00, 0x56b4e9, 0x000000, 0xf0e442};

QColor FileColour(std::size_t index) {
  return QColor::fromRgb(kFileColours[index % kFileColours.size()]);
}

// The image's bytes in the format its name asks for (PNG, SVG or PDF), drawn at dpi dots per
// inch (the picture's pixels being 96 to the inch), or the reason there are none.
QString ImageBytes(QWidget& picture, const QString& suffix, int dpi, QByteArray& bytes) {
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  const double scale = dpi / 96.0;
  if (suffix == QLatin1String("svg")) {
    QSvgGenerator generator;
    generator.setOutputDevice(&buffer);
    generator.setSize(picture.size());
    generator.setViewBox(picture.rect());
    generator.setResolution(dpi);
    generator.setTitle(QStringLiteral("Spinline profiles"));
    QPainter painter(&generator);
    picture.render(&painter);
    painter.end();
    return bytes.isEmpty() ? QStringLiteral("the SVG image could not be drawn") : QString();
  }
  if (suffix == QLatin1String("pdf")) {
    QPdfWriter writer(&buffer);
    writer.setResolution(dpi);
    writer.setPageMargins(QMarginsF(0, 0, 0, 0));
    // The page is the picture, at 96 pixels to the inch: 72 points to the inch.
    writer.setPageSize(
        QPageSize(QSizeF(picture.width() * 72.0 / 96.0, picture.height() * 72.0 / 96.0),
                  QPageSize::Point, QString(), QPageSize::ExactMatch));
    writer.setTitle(QStringLiteral("Spinline profiles"));
    writer.setCreator(QStringLiteral("vellmor"));
    QPainter painter(&writer);
    painter.scale(scale, scale);
    picture.render(&painter);
    painter.end();
    return bytes.isEmpty() ? QStringLiteral("the PDF could not be drawn") : QString();
  }
  if (suffix == QLatin1String("png")) {
    QImage image(picture.size() * scale, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(scale);
    image.setDotsPerMeterX(qRound(dpi / 0.0254));
    image.setDotsPerMeterY(qRound(dpi / 0.0254));
    image.fill(picture.palette().color(QPalette::Base));
    QPainter painter(&image);
    picture.render(&painter);
    painter.end();
    if (!image.save(&buffer, "PNG")) return QStringLiteral("the PNG image could not be drawn");
    return {};
  }
  return QStringLiteral("the image type is not known: name it .png, .svg or .pdf");
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
          auto sets = ReadOverlay(text, name, kind, warnings);
          if (const QString* problem = std::get_if<QString>(&sets)) return *problem;
          overlays.push_back({path, name, std::get<std::vector<TOverlaySet>>(std::move(sets)),
                              std::move(warnings)});
          continue;
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
    if (file.Accuracy.Solution) {
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

QString TProfileWindow::SaveImage(const QString& path, const TImageOptions& options) {
  QByteArray bytes;
  // Drawn at the size asked for, then given back to the window's layout.
  const QSize laid_out = picture_->size();
  const bool resized = options.Size.isValid() && options.Size != laid_out;
  if (resized) {
    picture_->setFixedSize(options.Size);
    if (picture_->layout() != nullptr) picture_->layout()->activate();
    QApplication::processEvents();
  }
  const QString failure =
      ImageBytes(*picture_, QFileInfo(path).suffix().toLower(), options.Dpi, bytes);
  if (resized) {
    picture_->setMinimumSize(0, 0);
    picture_->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
  }
  if (!failure.isEmpty()) {
    return QStringLiteral("Can not write image %1: %2").arg(path, failure);
  }
  // Written whole or not at all: a script never finds half a picture.
  const TOutputStatus written =
      WriteWholeOutput(QFile::encodeName(path).toStdString(),
                       std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
  if (!written.Ok()) {
    return QStringLiteral("Can not write image %1: %2")
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

// Every file again from the start, each in the colour of its place, so that a file read again
// keeps its colour; its converged solution dashed in the same colour.
void TProfileWindow::Replot() {
  std::vector<ProfilePlots::TCurveSet> sets;
  sets.reserve(2 * files_.size() + documents_.size());
  std::vector<TNumbersColumn> columns;
  QStringList failures;
  for (std::size_t i = 0; i < files_.size(); ++i) {
    const TPlottedFile& file = files_[i];
    std::optional<double> freeze_x;
    if (file.Numbers.Freeze) freeze_x = file.Numbers.Freeze->PositionCm;
    sets.push_back({CurvesOf(file.Contents.Rows),
                    {file.Name, FileColour(i), Qt::SolidLine, file.Name},
                    freeze_x});
    const TAccuracyCheck& accuracy = file.Accuracy;
    if (accuracy.Solution) {
      // The converged model's air is the file's: drawn once.
      sets.push_back(
          {CurvesOf(accuracy.Solution->Profile),
           {file.Name + QStringLiteral(": converged"), FileColour(i), Qt::DashLine, file.Name},
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
    columns.push_back({file.Name, QFile::decodeName(QByteArray::fromStdString(file.Path)),
                       file.Numbers, std::nullopt, accuracy.Report,
                       QString::fromStdString(accuracy.Failure), FreezeKnobs(file.Sensitivities)});
  }
  // The exports after the result files, each as it was written.
  for (std::size_t j = 0; j < documents_.size(); ++j) {
    const TDocumentFile& file = documents_[j];
    const TProfileDocument& document = file.Document;
    std::optional<double> freeze_x;
    if (document.Numbers.Freeze) freeze_x = document.Numbers.Freeze->PositionCm;
    std::optional<double> onset_x;
    if (document.Structure) onset_x = document.Structure->Onset;
    sets.push_back({CurvesOf(document.Profile),
                    {file.Name, FileColour(files_.size() + j),
                     document.Converged ? Qt::DashLine : Qt::SolidLine, file.Name},
                    freeze_x,
                    {},
                    onset_x});
    columns.push_back({file.Name,
                       QFile::decodeName(QByteArray::fromStdString(file.Path)),
                       document.Numbers,
                       document.Structure,
                       std::nullopt,
                       QString(),
                       {}});
  }
  // Measurements and fits after the files, each in the colour of its place; a fitted profile
  // dashed, as a converged solution is.
  for (std::size_t j = 0; j < overlays_.size(); ++j) {
    const QColor colour = FileColour(files_.size() + documents_.size() + j);
    for (const std::string& warning : overlays_[j].Warnings) {
      failures << overlays_[j].Name + QStringLiteral(": ") + QString::fromStdString(warning);
    }
    for (const TOverlaySet& set : overlays_[j].Sets) {
      sets.push_back({set.Curves.value_or(TProfileCurves{}),
                      {set.Name, colour, Qt::DashLine, overlays_[j].Name},
                      std::nullopt,
                      set.Points,
                      std::nullopt,
                      false});
    }
  }
  plots_->Show(sets);
  std::vector<PlotLegend::TFile> legend_files;
  std::vector<TLegendKey> legend_keys;
  LegendEntries(sets, legend_files, legend_keys);
  legend_->SetEntries(std::move(legend_files), std::move(legend_keys));
  numbers_->SetColumns(columns);
  converged_note_->setText(failures.join(u'\n'));
  converged_note_->setVisible(!failures.isEmpty());
}

}  // namespace vellmor::gui
