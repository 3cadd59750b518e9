// Row-by-row reader of a comma-separated survey data file.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "engine/reading/text_blocks.h"
#include "engine/reading/text_encoding.h"

namespace kelvara {

// Reads a comma-separated file one row at a time. The file is read in text
// mode as the survey files were written on their home platform: every CR byte
// is dropped and a byte 0x1A ends the file. Cells are the file's own bytes
// (code page 932 in practice), never converted or checked; a UTF-8 file is
// split the same way, since no byte of a UTF-8 character is a comma, a quote
// or a space, and its byte order mark is dropped.
//
// Blank lines (see IsBlankLine) are skipped everywhere and are not rows, so the
// first row is the header row. Physical lines of any length are read whole.
class CsvTable {
 public:
  static constexpr int kRowCellLimit = 1024;  // cells ReadRow returns per row
  static constexpr int kScanCellLimit = 256;  // cells Scan counts per row

  CsvTable();
  ~CsvTable();
  CsvTable(const CsvTable&) = delete;
  CsvTable& operator=(const CsvTable&) = delete;

  // Opens the file for reading; false when it cannot be opened (missing,
  // unreadable, or a directory). After false only destruction may follow.
  bool Open(const std::filesystem::path& path);

  // Counts the rows (rowCount) and the widest row, each row counted up to
  // kScanCellLimit cells (maxCellCount), then goes back to the start.
  void Scan();

  // Reads the next row; returns its cell count, or -1 at the end of the file.
  int ReadRow();

  void Close();

  int cellCount() const { return cellCount_; }
  int rowCount() const { return rowCount_; }
  int maxCellCount() const { return maxCellCount_; }

  // The cells of the current row, in column order.
  const std::vector<std::string_view>& cells() const { return cells_; }

  // Cell `column` of the current row; a column the row does not reach is an
  // empty cell, so callers never read past the row.
  std::string_view cell(int column) const;

  // True when reading stopped because of an input error rather than the end
  // of the file.
  bool readFailed() const { return blocks_.failed(); }

  // How far reading has come: the bytes of the file read so far, of its
  // size (0 when the file tells none).
  size_t bytesRead() const { return bytesRead_; }
  size_t fileSize() const { return blocks_.fileSize(); }

  // The file's encoding, recognised from its byte order mark or its header
  // row; known once the header row has been read (by Scan or ReadRow).
  TextEncoding encoding() const { return encoding_; }

 private:
  void Rewind();
  bool ReadLine(std::string_view& line);
  int FetchRow(std::string& cellText, std::vector<std::string_view>& cells, int limit);

  TextFileBlocks blocks_;
  std::string block_;
  LineCursor lines_{{}};

  std::string cellText_;
  std::vector<std::string_view> cells_;
  std::string scanCellText_;
  std::vector<std::string_view> scanCells_;

  int cellCount_ = 0;
  int rowCount_ = 0;
  int maxCellCount_ = 0;
  size_t bytesRead_ = 0;
  bool headerSeen_ = false;  // since the last rewind
  TextEncoding encoding_ = TextEncoding::cp932;
};

}  // namespace kelvara
