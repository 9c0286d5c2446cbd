#pragma once

#include <QObject>
#include <QString>
#include <map>

#include "vellmor/base/message_sink.h"

class QComboBox;
class QListWidget;
class QTreeWidget;
class QTreeWidgetItem;

namespace vellmor::gui {

// The chain of the main window's drive selector, directory list and file list: choosing a
// file system or opening a directory makes it the process's current directory, where a
// relative save file name is created, and every list follows. A directory that cannot be
// entered is reported through the sink and changes nothing.
class DirectoryChain : public QObject {
  Q_OBJECT

 public:
  DirectoryChain(QComboBox& drives, QTreeWidget& directories, QListWidget& files,
                 MessageSink& sink);

  // Re-reads the file list's directory, which it first makes the current directory again.
  void RefreshFiles();

  // Opens directory as a double click in the directory list does; false after the message.
  bool Enter(const QString& directory);

 private:
  void DriveChosen(int index);
  void DirectoryOpened(const QTreeWidgetItem& item);
  bool ReportFailure(int error);
  void SelectDrive();
  void FillDirectories();
  void FillFiles();

  QComboBox& drives_;
  QTreeWidget& directories_;
  QListWidget& files_;
  MessageSink& sink_;
  QString directory_;
  std::map<QString, QString> last_directory_;  // by the root of its file system
};

}  // namespace vellmor::gui
