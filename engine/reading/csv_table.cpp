#include "engine/reading/csv_table.h"

#include <algorithm>

#include "engine/reading/csv_line.h"

namespace kelvara {
namespace {

constexpr size_t kBlockSize = 1 << 18;

}  // namespace

CsvTable::CsvTable() : blocks_(kBlockSize, TextFileBlocks::ByteOrderMark::drop) {}

CsvTable::~CsvTable() { Close(); }

bool CsvTable::Open(const std::filesystem::path& path) {
  if (!blocks_.Open(path)) return false;
  Rewind();
  return true;
}

void CsvTable::Close() { blocks_.Close(); }

std::string_view CsvTable::cell(int column) const {
  if (column < 0 || column >= cellCount_) return {};
  return cells_[static_cast<size_t>(column)];
}

void CsvTable::Rewind() {
  blocks_.Rewind();
  headerSeen_ = false;
  bytesRead_ = 0;
  block_.clear();
  lines_ = LineCursor(block_);
}

bool CsvTable::ReadLine(std::string_view& line) {
  while (!lines_.Next(line)) {
    if (!blocks_.Next(block_)) return false;
    bytesRead_ += block_.size();
    lines_ = LineCursor(block_);
  }
  return true;
}

int CsvTable::FetchRow(std::string& cellText, std::vector<std::string_view>& cells, int limit) {
  std::string_view line;
  while (ReadLine(line)) {
    if (IsBlankLine(line)) continue;
    if (!headerSeen_) {
      headerSeen_ = true;
      encoding_ = RecogniseEncoding(blocks_.droppedByteOrderMark(), line);
    }
    return SplitLine(line, limit, cellText, cells);
  }
  return -1;
}

void CsvTable::Scan() {
  Rewind();
  rowCount_ = 0;
  maxCellCount_ = 0;
  for (;;) {
    const int count = FetchRow(scanCellText_, scanCells_, kScanCellLimit);
    if (count < 0) break;
    ++rowCount_;
    maxCellCount_ = std::max(maxCellCount_, count);
  }
  Rewind();
}

int CsvTable::ReadRow() {
  cellCount_ = FetchRow(cellText_, cells_, kRowCellLimit);
  if (cellCount_ < 0) cells_.clear();
  return cellCount_;
}

}  // namespace kelvara
