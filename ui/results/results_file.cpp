#include "ui/results/results_file.h"

#include <QFile>
#include <QSaveFile>
#include <algorithm>
#include <string_view>

#include "engine/reading/text_blocks.h"
#include "ui/window/background_work.h"
#include "ui/window/file_problem.h"
#include "ui/window/file_path.h"

std::optional<std::vector<std::string>> ReadResultsFile(const QString& path,
                                                        std::stop_token stop,
                                                        ProgressNote* note) {
  // Results files are read in text mode like survey files: CR bytes dropped,
  // 0x1A ends the file, lines of any length arrive whole, empty lines kept.
  kelvara::TextFileBlocks blocks(1 << 20);
  if (!blocks.Open(FileSystemPath(path))) return std::nullopt;
  std::vector<std::string> lines;
  size_t bytesRead = 0;  // without the dropped CR bytes: near enough for a bar
  for (std::string block; !stop.stop_requested() && blocks.Next(block);) {
    kelvara::LineCursor cursor(block);
    for (std::string_view line; cursor.Next(line);) lines.emplace_back(line);
    bytesRead += block.size();
    if (note != nullptr) {
      constexpr int kSteps = 1000;
      const size_t size = blocks.fileSize();
      const double share =
          size == 0 ? 0.0
                    : std::min(1.0, static_cast<double>(bytesRead) / static_cast<double>(size));
      note->Set(QStringLiteral("%L1 行を読み込みました").arg(lines.size()),
                static_cast<int>(share * kSteps), size == 0 ? 0 : kSteps);
    }
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
