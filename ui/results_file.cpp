#include "ui/results_file.h"

#include <QFile>
#include <QSaveFile>
#include <string_view>

#include "engine/text_blocks.h"
#include "ui/file_path.h"

std::optional<std::vector<std::string>> ReadResultsFile(const QString& path) {
  // Results files are read in text mode like survey files: CR bytes dropped,
  // 0x1A ends the file, lines of any length arrive whole, empty lines kept.
  kelvara::TextFileBlocks blocks(1 << 20);
  if (!blocks.Open(FileSystemPath(path))) return std::nullopt;
  std::vector<std::string> lines;
  for (std::string block; blocks.Next(block);) {
    kelvara::LineCursor cursor(block);
    for (std::string_view line; cursor.Next(line);) lines.emplace_back(line);
  }
  if (blocks.failed()) return std::nullopt;
  return lines;
}

bool WriteResultsFile(const QString& path, const std::vector<std::string>& lines) {
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly)) return false;
  for (const std::string& line : lines) {
    const auto size = static_cast<qint64>(line.size());
    if (file.write(line.data(), size) != size || file.write("\r\n", 2) != 2) {
      file.cancelWriting();
      return false;
    }
  }
  return file.commit();
}

bool FileReadable(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly);
}
