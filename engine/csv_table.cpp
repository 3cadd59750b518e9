#include "engine/csv_table.h"

#include <algorithm>
#include <cstring>
#include <filesystem>

#include "engine/csv_line.h"

namespace kelvara {
namespace {

constexpr size_t kBufferSize = 1 << 18;
constexpr char kEndOfFileMark = 0x1A;  // text mode ends the file here

// Appends `size` bytes to `line`, dropping carriage returns as text mode does.
void AppendWithoutCarriageReturns(std::string& line, const char* bytes, size_t size) {
  if (std::memchr(bytes, '\r', size) == nullptr) {
    line.append(bytes, size);
    return;
  }
  for (size_t i = 0; i < size; ++i) {
    if (bytes[i] != '\r') line.push_back(bytes[i]);
  }
}

}  // namespace

CsvTable::CsvTable() : buffer_(kBufferSize) {}

CsvTable::~CsvTable() { Close(); }

bool CsvTable::Open(const std::string& path) {
  Close();
  std::error_code error;
  if (std::filesystem::is_directory(path, error)) return false;
  file_ = std::fopen(path.c_str(), "rb");
  if (file_ == nullptr) return false;
  Rewind();
  return true;
}

void CsvTable::Close() {
  if (file_ != nullptr) {
    std::fclose(file_);
    file_ = nullptr;
  }
}

std::string_view CsvTable::cell(int column) const {
  if (column < 0 || column >= cellCount_) return {};
  return cells_[static_cast<size_t>(column)];
}

void CsvTable::Rewind() {
  bufferPos_ = bufferEnd_ = 0;
  endOfData_ = file_ == nullptr;
  if (file_ != nullptr) {
    std::clearerr(file_);
    if (std::fseek(file_, 0, SEEK_SET) != 0) {
      readFailed_ = true;
      endOfData_ = true;
    }
  }
}

bool CsvTable::Refill() {
  if (endOfData_) return false;
  size_t size = std::fread(buffer_.data(), 1, buffer_.size(), file_);
  if (size == 0) {
    if (std::ferror(file_)) readFailed_ = true;
    endOfData_ = true;
    return false;
  }
  if (const void* mark = std::memchr(buffer_.data(), kEndOfFileMark, size)) {
    size = static_cast<size_t>(static_cast<const char*>(mark) - buffer_.data());
    endOfData_ = true;
  }
  bufferPos_ = 0;
  bufferEnd_ = size;
  return size > 0;
}

bool CsvTable::ReadLine() {
  line_.clear();
  bool readSomething = false;
  for (;;) {
    if (bufferPos_ == bufferEnd_ && !Refill()) return readSomething;
    const char* begin = buffer_.data() + bufferPos_;
    const size_t available = bufferEnd_ - bufferPos_;
    const void* lineFeed = std::memchr(begin, '\n', available);
    const size_t take =
        lineFeed ? static_cast<size_t>(static_cast<const char*>(lineFeed) - begin) : available;
    AppendWithoutCarriageReturns(line_, begin, take);
    readSomething = true;
    bufferPos_ += take;
    if (lineFeed) {
      ++bufferPos_;
      return true;
    }
  }
}

int CsvTable::FetchRow(std::string& cellText, std::vector<std::string_view>& cells, int limit) {
  while (ReadLine()) {
    if (!IsBlankLine(line_)) return SplitLine(line_, limit, cellText, cells);
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
