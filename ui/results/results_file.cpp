#include "ui/results/results_file.h"

#include <QFile>
#include <QSaveFile>
#include <string_view>

#include "engine/reading/text_blocks.h"
#include "ui/window/file_problem.h"
#include "ui/window/file_path.h"

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

bool WriteResultsFile(const QString& path, const std::vector<std::string>& lines,
                      QString* cause) {
  QSaveFile file(path);
  const auto fail = [&] {
    // A short write sets no error of its own: it is a write error all the same.
    const QFileDevice::FileError error =
        file.error() == QFileDevice::NoError ? QFileDevice::WriteError : file.error();
    if (cause != nullptr) *cause = WriteProblem(path, error, file.errorString());
    return false;
  };
  if (!file.open(QIODevice::WriteOnly)) return fail();
  for (const std::string& line : lines) {
    const auto size = static_cast<qint64>(line.size());
    if (file.write(line.data(), size) != size || file.write("\r\n", 2) != 2) {
      const bool failed = fail();
      file.cancelWriting();
      return failed;
    }
  }
  return file.commit() || fail();
}

bool FileReadable(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly);
}
