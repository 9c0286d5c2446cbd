#include "modal_closer.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

ModalCloser::ModalCloser(std::function<void()> while_open) : while_open_(std::move(while_open)) {
  connect(&timer_, &QTimer::timeout, this, &ModalCloser::CloseActiveModal);
  timer_.start(5);
}

void ModalCloser::CloseActiveModal() {
  QWidget* modal = QApplication::activeModalWidget();
  if (modal == nullptr || !modal->isVisible()) return;
  if (while_open_) while_open_();
  if (auto* box = qobject_cast<QMessageBox*>(modal)) {
    messages_ << box->text();
    titles_ << box->windowTitle();
    box->button(QMessageBox::Ok)->click();
    return;
  }
  dialogs_ << modal->objectName();
  modal->findChild<QPushButton*>(QStringLiteral("BitBtn1"))->click();
}
