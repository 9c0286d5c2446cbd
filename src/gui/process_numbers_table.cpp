#include "gui/process_numbers_table.h"

#include <QHeaderView>
#include <QScrollBar>
#include <array>
#include <cmath>
#include <optional>

#include "vellmor/base/csv.h"
#include "vellmor/inputs/user_number_format.h"
#include "vellmor/report/format_fixed.h"

namespace vellmor::gui {
namespace {

// The comparison with the converged solution, under the process numbers.
struct TAccuracyRow {
  const char* key;
  const char* label;
  std::optional<double> (*value)(const TAccuracyReport&);
  int decimals;
};

constexpr std::array<TAccuracyRow, 3> kAccuracyRows{{
    {"converged_spinneret_tension_dyn", "Converged spinneret tension (dyn)",
     [](const TAccuracyReport& r) -> std::optional<double> { return r.SpinneretTension.Converged; },
     3},
    {"classical_error_percent", "Tension error of the file (%)",
     [](const TAccuracyReport& r) -> std::optional<double> {
       return r.SpinneretTension.ErrorPercent;
     },
     2},
    {"converged_freeze_point_cm", "Converged freeze point (cm)",
     [](const TAccuracyReport& r) { return r.ConvergedFreezePoint; }, 2},
}};

// The knobs of the freeze point, under the comparison.
constexpr std::array<const char*, 3> kKnobRows{
    {"Moves the freeze point most", "Second most", "Third most"}};

// The widest the table grows before its columns scroll (px): the plots keep the rest.
constexpr int kMaximumWidth = 640;

// Enough digits for any number of the table before it goes to exponent form.
constexpr int kPrecision = 12;

const QString kDash = QStringLiteral("–");
const QString kFailed = QStringLiteral("failed");

// A number in the user's separator, or a dash where there is none (or it is not finite).
QString NumberText(std::optional<double> value, int decimals, char separator) {
  return value && std::isfinite(*value)
             ? QString::fromStdString(FormatFixed(*value, kPrecision, decimals, separator))
             : kDash;
}

}  // namespace

QStringList NumbersRowLabels() {
  QStringList labels;
  for (const TProcessNumberInfo& number : kProcessNumberTable) {
    if (number.InViewer) labels << QString::fromUtf8(number.Label);
  }
  for (const TStructureNumberInfo& number : kStructureNumbers) {
    labels << QString::fromUtf8(number.Label.data(), static_cast<qsizetype>(number.Label.size()));
  }
  for (const TAccuracyRow& row : kAccuracyRows) labels << QString::fromUtf8(row.label);
  for (const char* label : kKnobRows) labels << QString::fromUtf8(label);
  return labels;
}

QStringList NumbersColumnTexts(const TNumbersColumn& column, char separator) {
  QStringList texts;
  for (const TProcessNumberInfo& number : kProcessNumberTable) {
    if (number.InViewer)
      texts << NumberText(number.Value(column.Numbers), number.Decimals, separator);
  }
  for (const TStructureNumberInfo& number : kStructureNumbers) {
    texts << NumberText(column.Structure ? number.Value(*column.Structure) : std::nullopt,
                        number.Decimals, separator);
  }
  // Nothing to compare: dashes, as for any number a file does not have.
  const bool compared = column.Accuracy || !column.AccuracyFailure.isEmpty();
  const bool failed = compared && !column.Accuracy;
  for (const TAccuracyRow& row : kAccuracyRows) {
    texts << (failed ? kFailed
                     : NumberText(compared ? row.value(*column.Accuracy) : std::nullopt,
                                  row.decimals, separator));
  }
  for (const auto& knob : column.FreezeKnobs) {
    if (failed) {
      texts << kFailed;
    } else if (!knob) {
      texts << kDash;
    } else {
      texts << knob->first + QStringLiteral(" ") +
                   QString::fromStdString(FormatFixed(knob->second, kPrecision, 3, separator));
    }
  }
  return texts;
}

TFigureTable NumbersFigureTable(const std::vector<TNumbersColumn>& columns,
                                const QStringList& heads, const std::vector<QColor>& colours) {
  TFigureTable table;
  if (columns.empty()) return table;
  table.Corner = QStringLiteral("Process numbers");
  table.Heads = heads;
  table.HeadColours = colours;
  const char separator = UserDecimalSeparator();
  std::vector<QStringList> texts;
  for (const TNumbersColumn& column : columns)
    texts.push_back(NumbersColumnTexts(column, separator));
  const QStringList labels = NumbersRowLabels();
  // The elasticities' rows are the window's: their names are too long for a report's column.
  for (qsizetype r = 0; r < labels.size() - static_cast<qsizetype>(kKnobRows.size()); ++r) {
    QStringList row;
    bool any = false;
    for (const QStringList& column : texts) {
      row << column[r];
      any = any || column[r] != kDash;
    }
    if (!any) continue;
    table.RowLabels << labels[r];
    table.Cells.push_back(row);
  }
  return table;
}

std::string NumbersCsv(const std::vector<TNumbersColumn>& columns, const QStringList& labels) {
  CsvRecord header;
  header.Plain("file").Plain("label");
  for (const TProcessNumberInfo& number : kProcessNumberTable) {
    if (number.InViewer) header.Plain(number.Key);
  }
  for (const TStructureNumberInfo& number : kStructureNumbers) header.Plain(number.Key);
  for (const TAccuracyRow& row : kAccuracyRows) header.Plain(row.key);
  std::string csv = std::move(header).End();
  for (std::size_t c = 0; c < columns.size(); ++c) {
    const TNumbersColumn& column = columns[c];
    CsvRecord record;
    record.Text(column.Name.toStdString())
        .Text(c < static_cast<std::size_t>(labels.size())
                  ? labels[static_cast<qsizetype>(c)].toStdString()
                  : std::string());
    for (const TProcessNumberInfo& number : kProcessNumberTable) {
      if (number.InViewer) record.Number(number.Value(column.Numbers));
    }
    for (const TStructureNumberInfo& number : kStructureNumbers) {
      record.Number(column.Structure ? number.Value(*column.Structure) : std::nullopt);
    }
    for (const TAccuracyRow& row : kAccuracyRows) {
      record.Number(column.Accuracy ? row.value(*column.Accuracy) : std::nullopt);
    }
    csv += std::move(record).End();
  }
  return csv;
}

ProcessNumbersTable::ProcessNumbersTable(QWidget* parent) : QTableWidget(parent) {
  setObjectName(QStringLiteral("ProcessNumbersTable"));
  const QStringList labels = NumbersRowLabels();
  setRowCount(static_cast<int>(labels.size()));
  setVerticalHeaderLabels(labels);
  for (int r = rowCount() - static_cast<int>(kKnobRows.size()); r < rowCount(); ++r) {
    verticalHeaderItem(r)->setToolTip(
        QStringLiteral("Input or model-card constant and its elasticity d ln(freeze point) / "
                       "d ln p in the converged solution (built-in card)"));
  }
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setSelectionMode(QAbstractItemView::ContiguousSelection);
  setSizeAdjustPolicy(QAbstractScrollArea::AdjustToContents);
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  // Many files' columns scroll rather than push the plots away or fall off the picture.
  setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  setMaximumWidth(kMaximumWidth);
  horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
  verticalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
}

void ProcessNumbersTable::SetColumns(const std::vector<TNumbersColumn>& columns) {
  const char separator = UserDecimalSeparator();
  clearContents();
  setColumnCount(static_cast<int>(columns.size()));
  for (int c = 0; c < columnCount(); ++c) {
    const TNumbersColumn& column = columns[static_cast<std::size_t>(c)];
    auto* head = new QTableWidgetItem(column.Name);
    head->setToolTip(column.ToolTip);
    setHorizontalHeaderItem(c, head);
    const QStringList texts = NumbersColumnTexts(column, separator);
    for (int r = 0; r < rowCount() && r < texts.size(); ++r) {
      auto* item = new QTableWidgetItem(texts[r]);
      item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
      // Why the converged solution failed, where it did.
      if (texts[r] == kFailed) item->setToolTip(column.AccuracyFailure);
      setItem(r, c, item);
    }
  }
  // As tall as its rows, so that no empty band shows under them.
  resizeRowsToContents();
  int height = horizontalHeader()->sizeHint().height() + 2 * frameWidth();
  for (int r = 0; r < rowCount(); ++r) height += rowHeight(r);
  resizeColumnsToContents();
  int width = verticalHeader()->sizeHint().width() + 2 * frameWidth();
  for (int c = 0; c < columnCount(); ++c) width += columnWidth(c);
  if (width > kMaximumWidth) height += horizontalScrollBar()->sizeHint().height();
  setFixedHeight(height);
  // No column, no table: its labels alone would say nothing.
  setHidden(columns.empty());
  updateGeometry();
}

QString ProcessNumbersTable::CellText(int row, int column) const {
  const QTableWidgetItem* cell = item(row, column);
  return cell != nullptr ? cell->text() : QString();
}

}  // namespace vellmor::gui
