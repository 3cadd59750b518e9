#include "ui/window/file_path.h"

#include <QDir>

std::filesystem::path FileSystemPath(const QString& name) {
  return std::filesystem::path(name.toStdU16String());
}

QString ShownPath(const QString& name) { return QDir::toNativeSeparators(name); }
