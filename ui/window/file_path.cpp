#include "ui/window/file_path.h"

#include <QFile>

std::filesystem::path FileSystemPath(const QString& name) {
#ifdef _WIN32
  return std::filesystem::path(name.toStdWString());
#else
  return std::filesystem::path(QFile::encodeName(name).toStdString());
#endif
}
