#pragma once

#include <QDate>
#include <QDialog>
#include <QString>

class QLabel;

namespace vellmor::gui {

// The date as the completion dialog writes it: year.month.day without leading zeros, followed
// by two blanks ("2024.3.5  ").
QString DateCaption(const QDate& date);

// The completion dialog: tells the user that a run has written its result file. Created once
// at start-up and shown modally after every successful run.
class TFinishForm : public QDialog {
  Q_OBJECT

 public:
  explicit TFinishForm(QWidget* parent = nullptr);

  // Shows the dialog centred on the screen with the date of the run and returns when the user
  // has closed it.
  void ShowModal(const QDate& run_date);

 private:
  void CreateContents(QWidget& panel);

  QLabel* date_label_ = nullptr;
};

}  // namespace vellmor::gui
