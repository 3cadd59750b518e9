#include "ui/window/file_path.h"

std::filesystem::path FileSystemPath(const QString& name) {
  return std::filesystem::path(name.toStdU16String());
}
