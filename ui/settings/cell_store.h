// The cell texts of a survey data file, packed for the grid.
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

// Holds the code page 932 cell texts of many rows in few large blocks: a row
// is its cell count followed by each cell's length and bytes (lengths as
// 7-bit groups). A million rows of fifty cells take little more than the
// file's own size, and no object is made per cell.
class CellStore {
 public:
  void Clear();
  void ReserveRows(size_t rows);

  // Appends a row of at most `limit` cells (the rest are not shown).
  void AppendRow(const std::vector<std::string_view>& cells, size_t limit);

  size_t rowCount() const { return rows_.size(); }

  // Cell `column` of row `row`; empty beyond the row or beyond the rows held.
  std::string_view Cell(size_t row, size_t column) const;

 private:
  struct Block {
    std::unique_ptr<char[]> bytes;
    size_t capacity = 0;
    size_t used = 0;
  };
  struct RowPlace {
    uint32_t block;
    uint32_t offset;
  };

  char* Allocate(size_t size, RowPlace& place);

  std::vector<Block> blocks_;
  std::vector<RowPlace> rows_;
};
