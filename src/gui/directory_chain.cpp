#include "gui/directory_chain.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QListWidget>
#include <QSignalBlocker>
#include <QStyle>
#include <QTreeWidget>

#include "gui/directory_listing.h"

namespace vellmor::gui {
namespace {

constexpr int kPathRole = Qt::UserRole;

QTreeWidgetItem* AddDirectoryItem(QTreeWidget& tree, QTreeWidgetItem* parent, const QString& path,
                                  const QString& name, bool open) {
  auto* item = parent != nullptr ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(&tree);
  item->setText(0, name);
  item->setData(0, kPathRole, path);
  item->setIcon(0, QApplication::style()->standardIcon(open ? QStyle::SP_DirOpenIcon
                                                            : QStyle::SP_DirClosedIcon));
  return item;
}

}  // namespace

DirectoryChain::DirectoryChain(QComboBox& drives, QTreeWidget& directories, QListWidget& files,
                               MessageSink& sink)
    : drives_(drives), directories_(directories), files_(files), sink_(sink) {
  for (const QString& root : VolumeRoots()) drives_.addItem(root, root);
  directory_ = QDir::currentPath();
  last_directory_[VolumeRoot(directory_)] = directory_;
  SelectDrive();
  FillDirectories();
  FillFiles();
  connect(&drives_, &QComboBox::activated, this, &DirectoryChain::DriveChosen);
  connect(&directories_, &QTreeWidget::itemDoubleClicked, this,
          [this](const QTreeWidgetItem* item) { DirectoryOpened(*item); });
}

void DirectoryChain::RefreshFiles() {
  if (const int error = ChangeDirectory(directory_); error != 0) {
    ReportFailure(error);
    return;
  }
  FillFiles();
}

bool DirectoryChain::Enter(const QString& directory) {
  if (const int error = ChangeDirectory(directory); error != 0) return ReportFailure(error);
  directory_ = QDir::currentPath();
  last_directory_[VolumeRoot(directory_)] = directory_;
  SelectDrive();
  FillDirectories();
  FillFiles();
  return true;
}

// A file system is entered where it was last left, at its root the first time.
void DirectoryChain::DriveChosen(int index) {
  const QString root = drives_.itemData(index).toString();
  const auto last = last_directory_.find(root);
  if (!Enter(last != last_directory_.end() ? last->second : root)) SelectDrive();
}

void DirectoryChain::DirectoryOpened(const QTreeWidgetItem& item) {
  Enter(item.data(0, kPathRole).toString());
}

bool DirectoryChain::ReportFailure(int error) {
  sink_.ShowMessage(ErrorDescription(error).toStdString());
  return false;
}

void DirectoryChain::SelectDrive() {
  const QString root = VolumeRoot(directory_);
  int index = drives_.findData(root);
  if (index < 0) {
    drives_.addItem(root, root);
    index = drives_.count() - 1;
  }
  const QSignalBlocker blocker(drives_);
  drives_.setCurrentIndex(index);
}

// The path from the root down to the current directory, then its subdirectories.
void DirectoryChain::FillDirectories() {
  directories_.clear();
  QTreeWidgetItem* current = nullptr;
  for (const QString& path : PathFromRoot(directory_)) {
    const QString name = current != nullptr ? QDir(path).dirName() : path;
    current = AddDirectoryItem(directories_, current, path, name, true);
  }
  const QDir here(directory_);
  for (const QString& name : SubdirectoryNames(directory_)) {
    AddDirectoryItem(directories_, current, here.filePath(name), name, false);
  }
  directories_.expandAll();
  directories_.setCurrentItem(current);
  directories_.scrollToItem(current);
}

void DirectoryChain::FillFiles() {
  files_.clear();
  files_.addItems(OrdinaryFileNames(directory_));
}

}  // namespace vellmor::gui
