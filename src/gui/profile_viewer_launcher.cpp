#include "gui/profile_viewer_launcher.h"

#include <QDir>
#include <QListWidget>

namespace vellmor::gui {

ProfileViewerLauncher::ProfileViewerLauncher(QListWidget& files, QWidget& main_window,
                                             MessageSink& sink)
    : QObject(&main_window), main_window_(main_window), sink_(sink) {
  files.setToolTip(
      QStringLiteral("Double-click a result file to plot its profiles; "
                     "more files overlay in the same window"));
  connect(&files, &QListWidget::itemDoubleClicked, this,
          [this](const QListWidgetItem* item) { Open(item->text()); });
}

// The file list shows the current directory, which the directory lists keep.
void ProfileViewerLauncher::Open(const QString& name) {
  const QString path = QDir::current().absoluteFilePath(name);
  if (viewer_ == nullptr) {
    auto* viewer = new TProfileWindow(sink_, &main_window_);
    // Closing the viewer ends its overlay; the next double click starts a new one.
    viewer->setAttribute(Qt::WA_DeleteOnClose);
    if (!viewer->OpenResultFile(path)) {
      delete viewer;
      return;
    }
    viewer_ = viewer;
  } else if (!viewer_->OpenResultFile(path)) {
    return;
  }
  viewer_->show();
  viewer_->raise();
  viewer_->activateWindow();
}

}  // namespace vellmor::gui
