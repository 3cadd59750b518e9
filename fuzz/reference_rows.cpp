#include "fuzz/reference_rows.h"

namespace kelvara::fuzz {
namespace {

// Content bytes: printable ASCII other than comma and double quote, and every
// byte from 0x80 up (Japanese text). A line without any is blank.
bool IsBlank(std::string_view line) {
  for (unsigned char byte : line) {
    if (byte >= 0x80) return false;
    if (byte >= 0x21 && byte != ',' && byte != '"') return false;
  }
  return true;
}

std::vector<std::string> SplitCells(std::string_view line, int limit) {
  std::vector<std::string> cells;
  size_t pos = 0;
  auto skipSpaces = [&] {
    while (pos < line.size() && line[pos] == ' ') ++pos;
  };
  for (;;) {
    skipSpaces();
    std::string cell;
    if (pos < line.size() && line[pos] == '"') {
      ++pos;
      while (pos < line.size()) {
        if (line[pos] != '"') {
          cell += line[pos++];
        } else if (pos + 1 < line.size() && line[pos + 1] == '"') {
          cell += '"';
          pos += 2;
        } else {
          ++pos;  // the closing quote
          break;
        }
      }
    } else {
      while (pos < line.size() && line[pos] != ',') cell += line[pos++];
    }
    while (!cell.empty() && cell.back() == ' ') cell.pop_back();
    cells.push_back(cell);
    if (static_cast<int>(cells.size()) == limit) break;
    skipSpaces();
    if (pos >= line.size()) break;
    if (line[pos] == ',') ++pos;  // any other byte starts the next cell at once
  }
  return cells;
}

}  // namespace

std::vector<ReferenceRow> ReferenceRows(std::string_view bytes, int cellLimit) {
  const size_t end = bytes.find('\x1A');
  if (end != std::string_view::npos) bytes = bytes.substr(0, end);
  // A UTF-8 byte order mark before the header row is no part of the text.
  if (bytes.starts_with("\xEF\xBB\xBF")) bytes.remove_prefix(3);

  std::vector<ReferenceRow> rows;
  std::string line;
  auto finishLine = [&] {
    if (!IsBlank(line)) rows.push_back({line, SplitCells(line, cellLimit)});
    line.clear();
  };
  for (char byte : bytes) {
    if (byte == '\n') {
      finishLine();
    } else if (byte != '\r') {
      line += byte;
    }
  }
  finishLine();  // a last line without a line end
  return rows;
}

std::string_view ReferenceCell(const ReferenceRow& row, int column) {
  if (column < 0 || static_cast<size_t>(column) >= row.cells.size()) return {};
  return row.cells[static_cast<size_t>(column)];
}

}  // namespace kelvara::fuzz
