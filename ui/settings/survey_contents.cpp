#include "ui/settings/survey_contents.h"

#include <QString>
#include <algorithm>
#include <fstream>

#include "engine/reading/cell_number.h"
#include "engine/reading/csv_table.h"
#include "ui/window/background_work.h"

namespace {

// How many data rows are looked at for a number, and for the cells'
// encoding when the header row tells none.
constexpr int kSampleRows = 1000;
// Rows read between two progress notes.
constexpr int kNoteRows = 4096;
// The start of a file that KindOfFile looks at.
constexpr std::streamsize kKindSample = 64 * 1024;

bool IsAscii(std::string_view text) {
  return std::all_of(text.begin(), text.end(),
                     [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// Notes the rows read and, when the file tells its size, the share of it.
void NoteRows(ProgressNote& note, const kelvara::CsvTable& table, int rows) {
  const QString text = QStringLiteral("%L1 行を読み込みました").arg(rows);
  const size_t size = table.fileSize();
  if (size == 0) {
    note.Set(text, 0, 0);
    return;
  }
  constexpr int kSteps = 1000;
  const double share = std::min(1.0, static_cast<double>(table.bytesRead()) / static_cast<double>(size));
  note.Set(text, static_cast<int>(share * kSteps), kSteps);
}

}  // namespace

SurveyContents ReadSurveyContents(kelvara::CsvTable& table, std::stop_token stop,
                                  ProgressNote& note) {
  SurveyContents contents;
  // The cells' encoding when the header row is ASCII and has no byte order
  // mark: UTF-8 when the first data rows' other bytes are all valid UTF-8.
  bool cellsNonAscii = false;
  bool cellsUtf8 = true;
  for (int row = 0;; ++row) {
    if (stop.stop_requested()) return contents;
    const int count = table.ReadRow();
    if (count < 0) break;
    const int shown = std::min(count, kelvara::CsvTable::kScanCellLimit);
    contents.columnCount = std::max(contents.columnCount, shown);
    ++contents.rowCount;
    if (row == 0) {
      contents.header.assign(table.cells().begin(), table.cells().begin() + shown);
      contents.encoding = table.encoding();
      continue;
    }
    contents.cells.AppendRow(table.cells(), static_cast<size_t>(shown));
    if (row <= kSampleRows) {
      for (std::string_view cell : table.cells()) {
        contents.anyNumber = contents.anyNumber || kelvara::IsValidCell(cell);
        if (!IsAscii(cell)) {
          cellsNonAscii = true;
          cellsUtf8 = cellsUtf8 && kelvara::LooksLikeUtf8(cell);
        }
      }
    }
    if (row % kNoteRows == 0) NoteRows(note, table, row);
  }
  contents.readFailed = table.readFailed();
  const bool headerAscii = std::all_of(contents.header.begin(), contents.header.end(),
                                       [](const std::string& name) { return IsAscii(name); });
  contents.cellEncoding = contents.encoding;
  if (contents.encoding == kelvara::TextEncoding::cp932 && headerAscii && cellsNonAscii &&
      cellsUtf8) {
    contents.cellEncoding = kelvara::TextEncoding::utf8;
  }
  NoteRows(note, table, std::max(contents.rowCount - 1, 0));
  return contents;
}

FileKind KindOfFile(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  std::string sample(static_cast<size_t>(kKindSample), '\0');
  file.read(sample.data(), kKindSample);
  sample.resize(static_cast<size_t>(file.gcount()));
  if (sample.starts_with("\xFF\xFE") || sample.starts_with("\xFE\xFF")) return FileKind::utf16;
  // No text holds a 0 byte. Binary formats often end their first line with a
  // byte 0x1A to stop a text reader, so this looks past it.
  if (sample.find('\0') != std::string::npos) return FileKind::binary;
  // Text mode ends the file at a byte 0x1A: what follows is no part of it.
  sample = sample.substr(0, sample.find('\x1A'));
  const size_t control = static_cast<size_t>(std::count_if(sample.begin(), sample.end(), [](char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte < 0x20 && byte != '\t' && byte != '\n' && byte != '\r' && byte != '\f';
  }));
  // A stray control byte or two may slip into a text file; many do not.
  return control * 100 > sample.size() ? FileKind::binary : FileKind::text;
}
