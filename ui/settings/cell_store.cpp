#include "ui/settings/cell_store.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr size_t kBlockSize = size_t{16} << 20;

size_t LengthSize(size_t value) {
  size_t size = 1;
  while (value >= 0x80) {
    value >>= 7;
    ++size;
  }
  return size;
}

char* PutLength(char* out, size_t value) {
  while (value >= 0x80) {
    *out++ = static_cast<char>((value & 0x7F) | 0x80);
    value >>= 7;
  }
  *out++ = static_cast<char>(value);
  return out;
}

const char* GetLength(const char* in, size_t& value) {
  value = 0;
  int shift = 0;
  unsigned char byte;
  do {
    byte = static_cast<unsigned char>(*in++);
    value |= size_t{byte & 0x7Fu} << shift;
    shift += 7;
  } while (byte & 0x80);
  return in;
}

}  // namespace

void CellStore::Clear() {
  blocks_.clear();
  blocks_.shrink_to_fit();
  rows_.clear();
  rows_.shrink_to_fit();
}

void CellStore::ReserveRows(size_t rows) { rows_.reserve(rows); }

char* CellStore::Allocate(size_t size, RowPlace& place) {
  if (blocks_.empty() || blocks_.back().capacity - blocks_.back().used < size) {
    Block block;
    block.capacity = std::max(kBlockSize, size);
    block.bytes = std::make_unique_for_overwrite<char[]>(block.capacity);
    blocks_.push_back(std::move(block));
  }
  Block& block = blocks_.back();
  place.block = static_cast<uint32_t>(blocks_.size() - 1);
  place.offset = static_cast<uint32_t>(block.used);
  char* out = block.bytes.get() + block.used;
  block.used += size;
  return out;
}

void CellStore::AppendRow(const std::vector<std::string_view>& cells, size_t limit) {
  const size_t count = std::min(cells.size(), limit);
  size_t size = LengthSize(count);
  for (size_t c = 0; c < count; ++c) size += LengthSize(cells[c].size()) + cells[c].size();

  RowPlace place{};
  char* out = Allocate(size, place);
  out = PutLength(out, count);
  for (size_t c = 0; c < count; ++c) {
    out = PutLength(out, cells[c].size());
    std::memcpy(out, cells[c].data(), cells[c].size());
    out += cells[c].size();
  }
  rows_.push_back(place);
}

std::string_view CellStore::Cell(size_t row, size_t column) const {
  if (row >= rows_.size()) return {};
  const RowPlace place = rows_[row];
  const char* in = blocks_[place.block].bytes.get() + place.offset;
  size_t count = 0;
  in = GetLength(in, count);
  if (column >= count) return {};
  size_t length = 0;
  for (size_t c = 0;; ++c) {
    in = GetLength(in, length);
    if (c == column) return {in, length};
    in += length;
  }
}
