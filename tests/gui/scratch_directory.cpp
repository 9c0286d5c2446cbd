#include "scratch_directory.h"

#include <QDir>
#include <QFile>

namespace {

QString ScratchBase() {
  QString base = qEnvironmentVariable("VELLMOR_TEST_TMP");
  if (base.isEmpty()) base = QDir::tempPath();
  QDir().mkpath(base);
  return base + QStringLiteral("/gui-XXXXXX");
}

}  // namespace

ScratchDirectory::ScratchDirectory()
    : previous_(QDir::currentPath()),
      directory_(ScratchBase()),
      path_(QDir(directory_.path()).canonicalPath()) {
  if (!directory_.isValid() || !QDir::setCurrent(path_)) {
    qFatal("cannot enter a scratch directory under %s", qPrintable(ScratchBase()));
  }
}

ScratchDirectory::~ScratchDirectory() { QDir::setCurrent(previous_); }

QByteArray ReadAll(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void WriteAll(const QString& path, const QByteArray& contents) {
  QFile file(path);
  if (file.open(QIODevice::WriteOnly)) file.write(contents);
}
