#include "engine/reading/csv_line.h"

namespace kelvara {
namespace {

constexpr char kSpace = ' ';
constexpr char kComma = ',';
constexpr char kQuote = '"';

bool IsContentByte(unsigned char byte) {
  if (byte >= 0x80) return true;
  return byte >= 0x21 && byte <= 0x7F && byte != kComma && byte != kQuote;
}

size_t SkipSpaces(std::string_view line, size_t pos) {
  while (pos < line.size() && line[pos] == kSpace) ++pos;
  return pos;
}

// Copies one cell starting at `pos` to the end of `out` and returns the
// position just after the cell's text (and its closing quote, if any).
size_t CopyCell(std::string_view line, size_t pos, std::string& out) {
  if (pos < line.size() && line[pos] == kQuote) {
    ++pos;
    while (pos < line.size()) {
      if (line[pos] == kQuote) {
        if (pos + 1 < line.size() && line[pos + 1] == kQuote) {
          out.push_back(kQuote);
          pos += 2;
          continue;
        }
        return pos + 1;  // skip the closing quote
      }
      out.push_back(line[pos++]);
    }
    return pos;  // an unclosed quote runs to the end of the line
  }
  const size_t end = line.find(kComma, pos);
  const size_t stop = end == std::string_view::npos ? line.size() : end;
  size_t last = stop;
  while (last > pos && line[last - 1] == kSpace) --last;  // trailing spaces go anyway
  out.append(line.substr(pos, last - pos));
  return stop;
}

}  // namespace

bool IsBlankLine(std::string_view line) {
  for (unsigned char byte : line) {
    if (IsContentByte(byte)) return false;
  }
  return true;
}

int SplitLine(std::string_view line, int limit, std::string& cellText,
              std::vector<std::string_view>& cells) {
  cellText.clear();
  // Every cell boundary consumes at least one byte of the line, so the cells
  // never need more room than the line itself: with that much reserved the
  // buffer is never moved and the views stay valid while cells are added.
  cellText.reserve(line.size());
  cells.clear();

  size_t pos = 0;
  bool more = true;
  int count = 0;
  while (more && count < limit) {
    pos = SkipSpaces(line, pos);
    const size_t start = cellText.size();
    pos = CopyCell(line, pos, cellText);
    size_t end = cellText.size();
    while (end > start && cellText[end - 1] == kSpace) --end;
    cellText.resize(end);
    cells.emplace_back(cellText.data() + start, end - start);
    ++count;

    pos = SkipSpaces(line, pos);
    if (pos >= line.size()) {
      more = false;
    } else if (line[pos] == kComma) {
      pos = SkipSpaces(line, pos + 1);
    }
  }
  return count;
}

}  // namespace kelvara
