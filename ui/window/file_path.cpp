#include "ui/window/file_path.h"

#include <QFileInfo>

#include <QDir>

std::filesystem::path FileSystemPath(const QString& name) {
  return std::filesystem::path(name.toStdU16String());
}

QString ShownPath(const QString& name) { return QDir::toNativeSeparators(name); }

bool SameFile(const QString& a, const QString& b) {
  const QFileInfo first(a), second(b);
  return first.exists() && second.exists() && first == second;
}
