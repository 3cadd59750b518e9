#include "engine/reading/text_blocks.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <filesystem>

#include "engine/reading/text_encoding.h"
#include "platform/file_opening.h"

namespace kelvara {
namespace {

constexpr char kEndOfFileMark = 0x1A;

}  // namespace

TextFileBlocks::TextFileBlocks(size_t blockSize, ByteOrderMark mark)
    : blockSize_(blockSize), mark_(mark) {}

TextFileBlocks::~TextFileBlocks() { Close(); }

bool TextFileBlocks::Open(const std::filesystem::path& path) {
  Close();
  std::error_code error;
  if (std::filesystem::is_directory(path, error)) return false;
  file_ = OpenFileStream(path, "rb");
  if (file_ == nullptr) return false;
  const auto size = std::filesystem::file_size(path, error);
  // Pipes, devices and /proc files tell no size (or 0): read them in blocks.
  fileSize_ = error || size == 0 ? kUnknownSize : static_cast<size_t>(size);
  Rewind();
  return true;
}

void TextFileBlocks::Close() {
  if (file_ != nullptr) std::fclose(file_);
  file_ = nullptr;
}

void TextFileBlocks::Rewind() {
  carry_.clear();
  atEnd_ = file_ == nullptr;
  atStart_ = true;
  droppedMark_ = false;
  if (file_ != nullptr) {
    std::clearerr(file_);
    if (std::fseek(file_, 0, SEEK_SET) != 0) {
      failed_ = true;
      atEnd_ = true;
    }
  }
}

bool TextFileBlocks::ReadMore(std::string& block) {
  if (atEnd_) return false;
  const size_t start = block.size();
  // A small file needs no block-sized buffer: ask for little more than it holds.
  const size_t want = std::min(blockSize_, fileSize_ + 1);
  block.resize(start + want);
  const size_t got = std::fread(block.data() + start, 1, want, file_);
  block.resize(start + got);
  if (got == 0) {
    if (std::ferror(file_)) failed_ = true;
    atEnd_ = true;
    return false;
  }
  if (const void* mark = std::memchr(block.data() + start, kEndOfFileMark, got)) {
    block.resize(static_cast<size_t>(static_cast<const char*>(mark) - block.data()));
    atEnd_ = true;
  }
  if (atStart_) {
    atStart_ = false;
    if (mark_ == ByteOrderMark::drop &&
        std::string_view(block).substr(start).starts_with(kUtf8ByteOrderMark)) {
      block.erase(start, kUtf8ByteOrderMark.size());
      droppedMark_ = true;
    }
  }
  return true;
}

bool TextFileBlocks::Next(std::string& block) {
  block.swap(carry_);
  carry_.clear();
  for (size_t searchFrom = block.size(); ReadMore(block); searchFrom = block.size()) {
    // The carried part holds no line end; look only at what was just read.
    const size_t lastLineFeed = std::string_view(block).substr(searchFrom).rfind('\n');
    if (lastLineFeed != std::string_view::npos) {
      const size_t end = searchFrom + lastLineFeed + 1;
      carry_.assign(block, end);
      block.resize(end);
      return true;
    }
  }
  return !block.empty();  // the last line, without a line end
}

bool LineCursor::Next(std::string_view& line) {
  if (pos_ >= block_.size()) return false;
  const size_t end = block_.find('\n', pos_);
  const size_t stop = end == std::string_view::npos ? block_.size() : end;
  line = block_.substr(pos_, stop - pos_);
  pos_ = end == std::string_view::npos ? block_.size() : end + 1;
  // A CR LF line end needs no copy: the CR is simply left off.
  while (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  if (line.find('\r') != std::string_view::npos) {
    withoutCarriageReturns_.clear();
    for (char c : line) {
      if (c != '\r') withoutCarriageReturns_.push_back(c);
    }
    line = withoutCarriageReturns_;
  }
  return true;
}

}  // namespace kelvara
