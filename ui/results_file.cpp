#include "ui/results_file.h"

#include <QFile>
#include <QSaveFile>
#include <algorithm>

namespace {
constexpr char kEndOfFileMark = 0x1A;
}

std::optional<std::vector<std::string>> ReadResultsFile(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
  std::vector<std::string> lines;
  std::string line;
  bool lineStarted = false;
  char buffer[1 << 16];
  bool ended = false;
  while (!ended) {
    const qint64 count = file.read(buffer, sizeof buffer);
    if (count < 0) return std::nullopt;
    if (count == 0) break;
    for (const char* p = buffer; p < buffer + count; ++p) {
      const char byte = *p;
      if (byte == kEndOfFileMark) {
        ended = true;
        break;
      }
      if (byte == '\r') continue;
      if (byte == '\n') {
        lines.push_back(std::move(line));
        line.clear();
        lineStarted = false;
        continue;
      }
      line.push_back(byte);
      lineStarted = true;
    }
  }
  if (lineStarted) lines.push_back(std::move(line));
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
