#pragma once

#include <QObject>
#include <QPointer>

#include "vellmor/base/message_sink.h"
#include "gui/t_profile_window.h"

class QListWidget;
class QListWidgetItem;

namespace vellmor::gui {

// Opens result files from the main window's file list in the profile viewer: a double click
// plots the file, and while the viewer is open every further one joins its overlay. Nothing
// else in the main window changes; a file that is not a result file gives a message only.
class ProfileViewerLauncher : public QObject {
  Q_OBJECT

 public:
  // The viewer is a window of main_window's, closed with it.
  ProfileViewerLauncher(QListWidget& files, QWidget& main_window, MessageSink& sink);

  // The viewer while it is open, else nullptr.
  TProfileWindow* Viewer() const { return viewer_; }

  // Plots the file of that name in the current directory, as a double click on it does.
  void Open(const QString& name);

 private:
  QWidget& main_window_;
  MessageSink& sink_;
  QPointer<TProfileWindow> viewer_;
};

}  // namespace vellmor::gui
