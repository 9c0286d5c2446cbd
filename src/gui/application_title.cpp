#include "gui/application_title.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace vellmor::gui {

QString ApplicationTitleOf(const QString& executable_path) {
  const QString name = QFileInfo(executable_path).fileName().section(u'.', 0, 0);
  return name.left(1).toUpper() + name.mid(1).toLower();
}

QString ApplicationTitle() { return ApplicationTitleOf(QCoreApplication::applicationFilePath()); }

}  // namespace vellmor::gui
