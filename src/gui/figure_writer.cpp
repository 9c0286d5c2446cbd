#include "gui/figure_writer.h"

#include <QBuffer>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QGraphicsScene>
#include <QImage>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSvgGenerator>
#include <cmath>

#include "vellmor/base/output_file.h"

namespace vellmor::gui {
namespace {

// A PDF's device units to the point: fine enough that no coordinate is rounded visibly.
constexpr int kPdfResolution = 1200;

struct TPlacement {
  qreal Width = 0.0;
  qreal Height = 0.0;
  QRectF Legend;
  QRectF Plots;
  std::vector<QRectF> Tables;
};

// Where each part goes on the page; lays the plots out at their size.
TPlacement Place(const TFigure& figure, const TFigurePage& page) {
  const QFont font = FigureFont(page);
  const qreal em = QFontMetricsF(font).height();
  const qreal margin = 0.4 * em;
  TPlacement at;
  at.Width = page.Width;
  const qreal inner = page.Width - 2 * margin;
  const qreal legend = LegendHeight(figure.Legend, font, inner);
  at.Legend = QRectF(margin, margin, inner, legend);
  std::vector<qreal> tables;
  qreal tables_height = 0.0;
  for (const TFigureTable& table : figure.Tables) {
    tables.push_back(TableHeight(table, font, inner));
    if (tables.back() > 0.0) tables_height += tables.back() + 0.6 * em;
  }
  const qreal top = margin + legend + (legend > 0.0 ? 0.3 * em : 0.0);
  qreal plots = figure.PlotsHeight;
  if (page.Height > 0.0) plots = std::max(page.Height - top - tables_height - margin, 6 * em);
  at.Plots = QRectF(0.0, top, page.Width, plots);
  qreal y = top + plots + 0.6 * em;
  for (const qreal height : tables) {
    at.Tables.emplace_back(margin, y, inner, height);
    if (height > 0.0) y += height + 0.6 * em;
  }
  at.Height = page.Height > 0.0 ? page.Height : std::ceil(y - 0.6 * em + margin);
  if (figure.LayOut) figure.LayOut(at.Plots.size());
  return at;
}

void Paint(QPainter& painter, const TFigure& figure, const TFigurePage& page,
           const TPlacement& at) {
  const QFont font = FigureFont(page);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setRenderHint(QPainter::TextAntialiasing);
  painter.fillRect(QRectF(0, 0, at.Width, at.Height), Qt::white);
  PaintLegend(painter, figure.Legend, font, at.Legend, Qt::black);
  if (figure.Plots != nullptr) {
    figure.Plots->render(&painter, at.Plots, QRectF(QPointF(0, 0), at.Plots.size()));
  }
  for (std::size_t t = 0; t < figure.Tables.size(); ++t) {
    PaintTable(painter, figure.Tables[t], font, at.Tables[t]);
  }
}

}  // namespace

QString FigureBytes(const TFigure& figure, const TFigurePage& page, const QString& suffix, int dpi,
                    QByteArray& bytes) {
  const TPlacement at = Place(figure, page);
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  if (suffix == QLatin1String("svg")) {
    QSvgGenerator generator;
    generator.setOutputDevice(&buffer);
    // The SVG's units are the figure's points; its size in tenths of a point, so that its
    // width in mm is the page's to a few µm.
    generator.setResolution(720);
    generator.setSize(QSize(qCeil(at.Width * 10), qCeil(at.Height * 10)));
    generator.setViewBox(QRectF(0, 0, at.Width, at.Height));
    generator.setTitle(figure.Title);
    QPainter painter(&generator);
    Paint(painter, figure, page, at);
    painter.end();
    return bytes.isEmpty() ? QStringLiteral("the SVG image could not be drawn") : QString();
  }
  if (suffix == QLatin1String("pdf")) {
    QPdfWriter writer(&buffer);
    writer.setResolution(kPdfResolution);
    writer.setPageLayout(QPageLayout(
        QPageSize(QSizeF(at.Width, at.Height), QPageSize::Point, QString(), QPageSize::ExactMatch),
        QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
    writer.setTitle(figure.Title);
    writer.setCreator(QStringLiteral("vellmor"));
    QPainter painter(&writer);
    painter.scale(kPdfResolution / 72.0, kPdfResolution / 72.0);
    Paint(painter, figure, page, at);
    painter.end();
    return bytes.isEmpty() ? QStringLiteral("the PDF could not be drawn") : QString();
  }
  if (suffix == QLatin1String("png")) {
    const qreal scale = dpi / 72.0;
    QImage image(qCeil(at.Width * scale), qCeil(at.Height * scale), QImage::Format_ARGB32);
    image.setDotsPerMeterX(qRound(dpi / 0.0254));
    image.setDotsPerMeterY(qRound(dpi / 0.0254));
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.scale(scale, scale);
    Paint(painter, figure, page, at);
    painter.end();
    if (!image.save(&buffer, "PNG")) return QStringLiteral("the PNG image could not be drawn");
    return {};
  }
  return QStringLiteral("the image type is not known: name it .png, .svg or .pdf");
}

QString WriteFigure(const QString& path, const TFigure& figure, const TFigurePage& page, int dpi) {
  QByteArray bytes;
  const QString failure = FigureBytes(figure, page, QFileInfo(path).suffix().toLower(), dpi, bytes);
  if (!failure.isEmpty()) return QStringLiteral("Can not write image %1: %2").arg(path, failure);
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

}  // namespace vellmor::gui
