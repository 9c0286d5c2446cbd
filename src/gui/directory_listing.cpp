#include "gui/directory_listing.h"

#include <dirent.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStorageInfo>
#include <cerrno>
#include <cstring>

namespace vellmor::gui {
namespace {

QStringList SortedEntries(const QString& directory, QDir::Filters filters) {
  return QDir(directory).entryList(filters, QDir::Name | QDir::IgnoreCase);
}

}  // namespace

// The system calls themselves rather than QDir::setCurrent, which does the same chdir but
// hands back no error code to describe.
int ChangeDirectory(const QString& directory) {
  const QByteArray native = QFile::encodeName(directory);
  DIR* listing = ::opendir(native.constData());
  if (listing == nullptr) return errno;
  ::closedir(listing);
  return ::chdir(native.constData()) == 0 ? 0 : errno;
}

QString ErrorDescription(int error) { return QString::fromLocal8Bit(std::strerror(error)); }

QStringList PathFromRoot(const QString& directory) {
  QStringList paths{QStringLiteral("/")};
  QString path;
  for (const QString& name : QDir::cleanPath(directory).split(u'/', Qt::SkipEmptyParts)) {
    path += u'/' + name;
    paths << path;
  }
  return paths;
}

QStringList SubdirectoryNames(const QString& directory) {
  return SortedEntries(directory, QDir::Dirs | QDir::NoDotAndDotDot);
}

QStringList OrdinaryFileNames(const QString& directory) {
  return SortedEntries(directory, QDir::Files);
}

QString VolumeRoot(const QString& path) { return QStorageInfo(path).rootPath(); }

QStringList VolumeRoots() {
  QStringList roots;
  for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
    if (volume.isValid() && volume.isReady() && QFileInfo(volume.rootPath()).isDir()) {
      roots << volume.rootPath();
    }
  }
  roots.sort();
  roots.removeDuplicates();
  return roots;
}

}  // namespace vellmor::gui
