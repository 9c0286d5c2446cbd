#include "gui/process_numbers_table.h"

#include <QHeaderView>
#include <QScrollBar>
#include <array>
#include <cmath>
#include <optional>

#include "vellmor/inputs/user_number_format.h"
#include "vellmor/report/format_fixed.h"

namespace vellmor::gui {
namespace {

// The comparison with the converged solution, under the process numbers.
struct TAccuracyRow {
  const char* label;
  std::optional<double> (*value)(const TAccuracyReport&);
  int decimals;
};

constexpr std::array<TAccuracyRow, 3> kAccuracyRows{{
    {"Converged spinneret tension (dyn)",
     [](const TAccuracyReport& r) -> std::optional<double> { return r.SpinneretTension.Converged; },
     3},
    {"Tension error of the file (%)",
     [](const TAccuracyReport& r) -> std::optional<double> {
       return r.SpinneretTension.ErrorPercent;
     },
     2},
    {"Converged freeze point (cm)", [](const TAccuracyReport& r) { return r.ConvergedFreezePoint; },
     2},
}};

// The knobs of the freeze point, under the comparison.
constexpr std::array<const char*, 3> kKnobRows{
    {"Moves the freeze point most", "Second most", "Third most"}};

// The widest the table grows before its columns scroll (px): the plots keep the rest.
constexpr int kMaximumWidth = 640;

// Enough digits for any number of the table before it goes to exponent form.
constexpr int kPrecision = 12;

// A number in the user's separator, or a dash where there is none (or it is not finite).
QTableWidgetItem* NumberItem(std::optional<double> value, int decimals, char separator) {
  const QString text =
      value && std::isfinite(*value)
          ? QString::fromStdString(FormatFixed(*value, kPrecision, decimals, separator))
          : QStringLiteral("–");
  auto* item = new QTableWidgetItem(text);
  item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
  return item;
}

}  // namespace

ProcessNumbersTable::ProcessNumbersTable(QWidget* parent) : QTableWidget(parent) {
  setObjectName(QStringLiteral("ProcessNumbersTable"));
  QStringList labels;
  for (const TProcessNumberInfo& number : kProcessNumberTable) {
    if (number.InViewer) labels << QString::fromUtf8(number.Label);
  }
  for (const TStructureNumberInfo& number : kStructureNumbers) {
    labels << QString::fromUtf8(number.Label.data(), static_cast<qsizetype>(number.Label.size()));
  }
  setRowCount(static_cast<int>(labels.size() + kAccuracyRows.size() + kKnobRows.size()));
  for (const TAccuracyRow& row : kAccuracyRows) labels << QString::fromUtf8(row.label);
  for (const char* label : kKnobRows) labels << QString::fromUtf8(label);
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
    int r = 0;
    for (const TProcessNumberInfo& number : kProcessNumberTable) {
      if (!number.InViewer) continue;
      setItem(r++, c, NumberItem(number.Value(column.Numbers), number.Decimals, separator));
    }
    for (const TStructureNumberInfo& number : kStructureNumbers) {
      const std::optional<double> value =
          column.Structure ? number.Value(*column.Structure) : std::nullopt;
      setItem(r++, c, NumberItem(value, number.Decimals, separator));
    }
    // Nothing to compare: dashes, as for any number a file does not have.
    const bool compared = column.Accuracy || !column.AccuracyFailure.isEmpty();
    for (const TAccuracyRow& row : kAccuracyRows) {
      if (column.Accuracy || !compared) {
        setItem(r++, c,
                NumberItem(compared ? row.value(*column.Accuracy) : std::nullopt, row.decimals,
                           separator));
        continue;
      }
      auto* item = new QTableWidgetItem(QStringLiteral("failed"));
      item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
      item->setToolTip(column.AccuracyFailure);
      setItem(r++, c, item);
    }
    for (const auto& knob : column.FreezeKnobs) {
      if (!column.Accuracy && compared) {
        auto* item = new QTableWidgetItem(QStringLiteral("failed"));
        item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        item->setToolTip(column.AccuracyFailure);
        setItem(r++, c, item);
        continue;
      }
      if (!knob) {
        setItem(r++, c, NumberItem(std::nullopt, 0, separator));
        continue;
      }
      auto* item = new QTableWidgetItem(
          knob->first + QStringLiteral(" ") +
          QString::fromStdString(FormatFixed(knob->second, kPrecision, 3, separator)));
      item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
      setItem(r++, c, item);
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
  updateGeometry();
}

QString ProcessNumbersTable::CellText(int row, int column) const {
  const QTableWidgetItem* cell = item(row, column);
  return cell != nullptr ? cell->text() : QString();
}

}  // namespace vellmor::gui
