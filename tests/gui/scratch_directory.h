#pragma once

#include <QString>
#include <QTemporaryDir>

// A fresh directory under VELLMOR_TEST_TMP (or the system's temporary directory) that is the
// process's current directory while the object lives; removed afterwards.
class ScratchDirectory {
 public:
  ScratchDirectory();
  ~ScratchDirectory();
  ScratchDirectory(const ScratchDirectory&) = delete;
  ScratchDirectory& operator=(const ScratchDirectory&) = delete;

  // The canonical path, as the current directory reports it.
  QString Path() const { return path_; }
  QString FilePath(const QString& name) const { return path_ + u'/' + name; }

 private:
  QString previous_;
  QTemporaryDir directory_;
  QString path_;
};

// The whole contents of a file, empty when it cannot be read.
QByteArray ReadAll(const QString& path);
void WriteAll(const QString& path, const QByteArray& contents);
