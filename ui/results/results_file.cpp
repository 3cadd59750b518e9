#include "ui/results/results_file.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <algorithm>
#include <cctype>
#include <cstdint>
#include <string_view>

#include "codec/cp932.h"
#include "engine/reading/text_blocks.h"
#include "engine/reading/text_encoding.h"
#include "engine/report/report_reading.h"
#include "ui/window/background_work.h"
#include "ui/window/file_problem.h"
#include "ui/window/file_path.h"

namespace {

// The first lines of a file, or all of them; nothing when it cannot be read.
// With a note, the lines read so far are noted as the reading goes; a stop
// request ends it early, with whatever lines were read.
std::optional<std::vector<std::string>> ReadLines(const QString& path, size_t byteLimit,
                                                  bool& byteOrderMark, std::stop_token stop = {},
                                                  ProgressNote* note = nullptr) {
  // Results files are read in text mode like survey files: CR bytes dropped,
  // 0x1A ends the file, lines of any length arrive whole, empty lines kept.
  kelvara::TextFileBlocks blocks(std::min<size_t>(byteLimit, 1 << 20),
                                 kelvara::TextFileBlocks::ByteOrderMark::drop);
  if (!blocks.Open(FileSystemPath(path))) return std::nullopt;
  std::vector<std::string> lines;
  size_t read = 0;  // without the dropped CR bytes: near enough for a bar
  for (std::string block; read < byteLimit && !stop.stop_requested() && blocks.Next(block);) {
    read += block.size();
    kelvara::LineCursor cursor(block);
    for (std::string_view line; cursor.Next(line);) lines.emplace_back(line);
    if (note != nullptr) {
      constexpr int kSteps = 1000;
      const size_t size = blocks.fileSize();
      const double share =
          size == 0 ? 0.0 : std::min(1.0, static_cast<double>(read) / static_cast<double>(size));
      note->Set(QStringLiteral("%L1 行を読み込みました").arg(lines.size()),
                static_cast<int>(share * kSteps), size == 0 ? 0 : kSteps);
    }
  }
  if (blocks.failed()) return std::nullopt;
  byteOrderMark = blocks.droppedByteOrderMark();
  return lines;
}

enum class Conversion { none, done, lacking };

// UTF-8 lines turned into the code page 932 of the report; the number of the
// first line with a character code page 932 lacks in `badLine`. A code page
// 932 file (whose Japanese is practically never valid UTF-8) stays as it is,
// its byte order mark put back if it had one.
Conversion ToCodePage932(std::vector<std::string>& lines, bool byteOrderMark, size_t& badLine) {
  bool valid = true, nonAscii = false;
  for (const std::string& line : lines) {
    if (!kelvara::IsValidUtf8(line)) {
      valid = false;
      break;
    }
    nonAscii = nonAscii || kelvara::LooksLikeUtf8(line);
  }
  if (!valid || (!byteOrderMark && !nonAscii)) {
    if (byteOrderMark && !lines.empty()) lines.front().insert(0, kelvara::kUtf8ByteOrderMark);
    return Conversion::none;
  }
  for (size_t i = 0; i < lines.size(); ++i) {
    std::optional<std::string> converted = kelvara::Utf8ToCp932(lines[i]);
    if (!converted) {
      badLine = i + 1;
      return Conversion::lacking;
    }
    lines[i] = std::move(*converted);
  }
  return Conversion::done;
}

constexpr size_t kWholeFile = SIZE_MAX;
// Enough of a file to find a results file's first heading, or to tell what
// else it is.
constexpr size_t kSampleBytes = 64 * 1024;

}  // namespace

std::optional<std::vector<std::string>> ReadResultsFile(const QString& path, std::stop_token stop,
                                                        ProgressNote* note, QString* refusal) {
  bool byteOrderMark = false;
  std::optional<std::vector<std::string>> lines =
      ReadLines(path, kWholeFile, byteOrderMark, stop, note);
  if (stop.stop_requested()) return lines;  // the caller drops a stopped reading
  if (!lines) return std::nullopt;
  size_t badLine = 0;
  if (ToCodePage932(*lines, byteOrderMark, badLine) == Conversion::lacking) {
    if (refusal != nullptr) {
      *refusal = QStringLiteral("このファイルは UTF-8 で書かれていますが、%1 行目にシフトJIS（コードページ932）にない文字があるため、"
                                "計算結果として開けません。")
                     .arg(badLine);
    }
    return std::nullopt;
  }
  // Raw survey data and other files hold no block: loading them would fill
  // the pane with lines that are no results.
  if (kelvara::ReadReportBlocks(*lines).empty()) {
    if (refusal != nullptr) {
      *refusal = QStringLiteral("このファイルは計算結果のファイルではありません"
                                "（変数の見出し「【…】」の行がありません）。\n\n"
                                "健康・栄養調査データは「計算法の指定」タブの「開く」で開いてください。");
    }
    return std::nullopt;
  }
  return lines;
}

QString NonResultsFileDescription(const QString& path) {
  const QFileInfo info(path);
  if (!info.exists() || info.isDir()) return {};
  if (info.size() == 0) return QStringLiteral("空のファイル");
  bool byteOrderMark = false;
  std::optional<std::vector<std::string>> lines = ReadLines(path, kSampleBytes, byteOrderMark);
  if (!lines) return QStringLiteral("読み込めないファイル");
  size_t badLine = 0;
  ToCodePage932(*lines, byteOrderMark, badLine);
  if (!kelvara::ReadReportBlocks(*lines).empty()) return {};
  const bool binary = std::any_of(lines->begin(), lines->end(), [](const std::string& line) {
    return line.find('\0') != std::string::npos;
  });
  if (binary) return QStringLiteral("テキストでないファイル（文字でないバイトを含みます）");
  // A header row and rows of numbers: most likely survey data.
  size_t numberRows = 0;
  for (size_t i = 1; i < lines->size() && i <= 20; ++i) {
    const std::string& line = (*lines)[i];
    if (!line.empty() && line.find(',') != std::string::npos &&
        std::isdigit(static_cast<unsigned char>(line.front()))) {
      ++numberRows;
    }
  }
  if (numberRows > 0) {
    return QStringLiteral("数値の行が並ぶ CSV ファイル（健康・栄養調査データかもしれません）");
  }
  return QStringLiteral("テキストファイル（変数の見出し「【…】」の行がありません）");
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
