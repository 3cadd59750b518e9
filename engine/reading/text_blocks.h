// Reading a text file in blocks of whole lines, as text mode reads it.
#pragma once

#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>

namespace kelvara {

// Reads a file in blocks that hold whole lines only. Text mode as the survey
// files' home platform reads them: a byte 0x1A ends the file, and the CR bytes
// that LineCursor drops from each line. A line longer than a block makes the
// block longer; lines are never cut.
class TextFileBlocks {
 public:
  // Survey data files drop a UTF-8 byte order mark at their start, which is
  // no part of the first column's name; results files keep every byte.
  enum class ByteOrderMark { keep, drop };

  explicit TextFileBlocks(size_t blockSize, ByteOrderMark mark = ByteOrderMark::keep);
  ~TextFileBlocks();
  TextFileBlocks(const TextFileBlocks&) = delete;
  TextFileBlocks& operator=(const TextFileBlocks&) = delete;

  // False when the file cannot be opened for reading or is a directory.
  bool Open(const std::filesystem::path& path);
  void Close();
  void Rewind();

  // Replaces `block` with the next lines of the file, each ending in LF except
  // a last line that has none. False at the end of the file.
  bool Next(std::string& block);

  // True when reading stopped on an input error rather than the end.
  bool failed() const { return failed_; }

  // The file's size when opened, or 0 when it tells none (pipes, devices).
  size_t fileSize() const { return fileSize_ == kUnknownSize ? 0 : fileSize_; }

  // Whether a byte order mark was dropped from the start of the file (known
  // once the first block has been read).
  bool droppedByteOrderMark() const { return droppedMark_; }

 private:
  // Appends up to one block of file bytes to `block`; false at the end.
  bool ReadMore(std::string& block);

  static constexpr size_t kUnknownSize = static_cast<size_t>(-1) - 1;

  size_t blockSize_;
  ByteOrderMark mark_;
  size_t fileSize_ = 0;  // as opened, when the file tells it
  std::FILE* file_ = nullptr;
  std::string carry_;  // the start of a line that continues in the next block
  bool atEnd_ = false;
  bool atStart_ = false;  // nothing read since the file was opened or rewound
  bool droppedMark_ = false;
  bool failed_ = false;
};

// Walks the lines of a block: line ends and CR bytes removed.
class LineCursor {
 public:
  explicit LineCursor(std::string_view block) : block_(block) {}

  // The next line, or false after the last one. The view stays valid until
  // the next call.
  bool Next(std::string_view& line);

  // Where the lines not yet returned start.
  size_t offset() const { return pos_; }

 private:
  std::string_view block_;
  size_t pos_ = 0;
  std::string withoutCarriageReturns_;
};

}  // namespace kelvara
