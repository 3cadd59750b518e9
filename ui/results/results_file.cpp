#include "ui/results/results_file.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <algorithm>
#include <cctype>
#include <cstdint>
#include <functional>
#include <string_view>

#include "codec/cp932.h"
#include "engine/reading/results_lines.h"
#include "engine/report/report_reading.h"
#include "ui/window/background_work.h"
#include "ui/window/file_problem.h"
#include "ui/window/file_path.h"

namespace {

// Enough of a file to find a results file's first heading, or to tell what
// else it is.
constexpr size_t kSampleBytes = 64 * 1024;

}  // namespace

std::optional<std::vector<std::string>> ReadResultsFile(const QString& path, std::stop_token stop,
                                                        ProgressNote* note, QString* refusal) {
  kelvara::ReadingProgress progress;
  if (note != nullptr) {
    progress = [note](size_t lines, size_t read, size_t size) {
      constexpr int kSteps = 1000;
      const double share =
          size == 0 ? 0.0 : std::min(1.0, static_cast<double>(read) / static_cast<double>(size));
      note->Set(QStringLiteral("%L1 行を読み込みました").arg(lines),
                static_cast<int>(share * kSteps), size == 0 ? 0 : kSteps);
    };
  }
  kelvara::ResultsLines read = kelvara::ReadResultsLines(FileSystemPath(path), kelvara::Utf8ToCp932,
                                                         SIZE_MAX, stop, progress);
  if (stop.stop_requested()) return std::move(read.lines);  // the caller drops a stopped reading
  if (read.status == kelvara::ResultsLines::Status::cannotRead) return std::nullopt;
  if (read.status == kelvara::ResultsLines::Status::lackingCp932) {
    if (refusal != nullptr) {
      *refusal = QStringLiteral("このファイルは UTF-8 で書かれていますが、%1 行目にシフトJIS（コードページ932）にない文字があるため、"
                                "計算結果として開けません。")
                     .arg(read.badLine);
    }
    return std::nullopt;
  }
  std::optional<std::vector<std::string>> lines = std::move(read.lines);
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
  kelvara::ResultsLines read =
      kelvara::ReadResultsLines(FileSystemPath(path), kelvara::Utf8ToCp932, kSampleBytes);
  if (read.status == kelvara::ResultsLines::Status::cannotRead) {
    return QStringLiteral("読み込めないファイル");
  }
  const std::vector<std::string>* lines = &read.lines;
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

namespace {

// Writes through a temporary file beside `path`, put in its place only when
// `write` wrote all of it.
bool SaveWhole(const QString& path, const std::function<bool(QSaveFile&)>& write, QString* cause) {
  QSaveFile file(path);
  const auto fail = [&] {
    // A short write sets no error of its own: it is a write error all the same.
    const QFileDevice::FileError error =
        file.error() == QFileDevice::NoError ? QFileDevice::WriteError : file.error();
    if (cause != nullptr) *cause = WriteProblem(path, error, file.errorString());
    return false;
  };
  if (!file.open(QIODevice::WriteOnly)) return fail();
  if (!write(file)) {
    const bool failed = fail();
    file.cancelWriting();
    return failed;
  }
  return file.commit() || fail();
}

}  // namespace

bool WriteResultsFile(const QString& path, const std::vector<std::string>& lines,
                      QString* cause) {
  return SaveWhole(
      path,
      [&lines](QSaveFile& file) {
        for (const std::string& line : lines) {
          const auto size = static_cast<qint64>(line.size());
          if (file.write(line.data(), size) != size || file.write("\r\n", 2) != 2) return false;
        }
        return true;
      },
      cause);
}

bool WriteFileBytes(const QString& path, std::string_view bytes, QString* cause) {
  return SaveWhole(
      path,
      [bytes](QSaveFile& file) {
        const auto size = static_cast<qint64>(bytes.size());
        return file.write(bytes.data(), size) == size;
      },
      cause);
}

bool FileReadable(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly);
}
