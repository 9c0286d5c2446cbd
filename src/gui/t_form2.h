#pragma once

#include <QDialog>

class QGroupBox;

namespace vellmor::gui {

// The reference-information dialog: shows the material correlations of PET built into the
// calculation. Created once at start-up and shown modally by the main window.
class TForm2 : public QDialog {
  Q_OBJECT

 public:
  explicit TForm2(QWidget* parent = nullptr);

 private:
  void CreateContents(QWidget& panel);
};

}  // namespace vellmor::gui
