#include "gui/message_box_sink.h"

#include <QMessageBox>

#include "gui/application_title.h"

namespace vellmor::gui {

void MessageBoxSink::ShowMessage(std::string_view text) {
  QMessageBox box(QMessageBox::NoIcon, ApplicationTitle(),
                  QString::fromUtf8(text.data(), qsizetype(text.size())), QMessageBox::Ok);
  box.setTextFormat(Qt::PlainText);
  box.exec();
}

}  // namespace vellmor::gui
