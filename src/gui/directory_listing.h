#pragma once

#include <QString>
#include <QStringList>

// The file-system side of the main window's drive, directory and file lists.
namespace vellmor::gui {

// Makes directory the process's current directory if it can be read and entered. Returns 0,
// or the errno of the opendir or chdir that failed; then the current directory is unchanged.
int ChangeDirectory(const QString& directory);

// The system's description of an errno value.
QString ErrorDescription(int error);

// The absolute paths from the root down to directory, both included.
QStringList PathFromRoot(const QString& directory);

// The names of directory's subdirectories and of its ordinary files, sorted, hidden ones left
// out as the desktop's file dialogs do.
QStringList SubdirectoryNames(const QString& directory);
QStringList OrdinaryFileNames(const QString& directory);

// The root of the mounted file system that holds path.
QString VolumeRoot(const QString& path);

// The roots of the mounted file systems that can be entered, sorted.
QStringList VolumeRoots();

}  // namespace vellmor::gui
