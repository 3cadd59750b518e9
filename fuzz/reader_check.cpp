#include "fuzz/reader_check.h"

#include <algorithm>

#include "engine/reading/csv_table.h"
#include "fuzz/memory_file.h"
#include "fuzz/reference_rows.h"

namespace kelvara::fuzz {
namespace {

std::string RowText(size_t row) { return "row " + std::to_string(row) + ": "; }

// The current row of `table` against the reference row.
std::string CheckRow(const CsvTable& table, int count, const ReferenceRow& expected,
                     size_t rowIndex) {
  const std::string where = RowText(rowIndex);
  if (count < 1 || count > CsvTable::kRowCellLimit) {
    return where + "cell count " + std::to_string(count) + " outside 1.." +
           std::to_string(CsvTable::kRowCellLimit);
  }
  if (table.cellCount() != count || table.cells().size() != static_cast<size_t>(count)) {
    return where + "ReadRow, cellCount() and cells() disagree on the cell count";
  }
  if (static_cast<size_t>(count) != expected.cells.size()) {
    return where + "cell count " + std::to_string(count) + ", expected " +
           std::to_string(expected.cells.size());
  }
  // The cells are laid end to end in one buffer that never needs more room
  // than the line itself (one byte for its end): every non-empty cell must lie
  // in that span, in column order, without overlapping its neighbour.
  const char* bufferStart = nullptr;
  const char* previousEnd = nullptr;
  for (int i = 0; i < count; ++i) {
    const std::string_view cell = table.cells()[static_cast<size_t>(i)];
    if (cell != expected.cells[static_cast<size_t>(i)]) {
      return where + "cell " + std::to_string(i) + " differs from the expected text";
    }
    if (table.cell(i).data() != cell.data() || table.cell(i).size() != cell.size()) {
      return where + "cell(" + std::to_string(i) + ") is not cells()[" + std::to_string(i) + "]";
    }
    if (cell.find('\r') != std::string_view::npos) return where + "a cell holds a CR byte";
    if (cell.empty()) continue;
    const char* begin = cell.data();
    const char* end = begin + cell.size();
    if (bufferStart == nullptr) bufferStart = begin;
    if (begin < bufferStart || (previousEnd != nullptr && begin < previousEnd)) {
      return where + "cell " + std::to_string(i) + " overlaps or precedes an earlier cell";
    }
    if (static_cast<size_t>(end - bufferStart) > expected.line.size() + 1) {
      return where + "cell " + std::to_string(i) + " reaches beyond the row's cell buffer";
    }
    previousEnd = end;
  }
  if (!table.cell(count).empty() || !table.cell(-1).empty()) {
    return where + "a cell outside the row is not empty";
  }
  return {};
}

}  // namespace

std::string CheckCsvTable(std::string_view bytes) {
  const MemoryFile file(bytes);
  if (!file.ok()) return "the input could not be put into an in-memory file";
  const std::vector<ReferenceRow> rows = ReferenceRows(bytes, CsvTable::kRowCellLimit);
  int expectedMaxCells = 0;
  for (const ReferenceRow& row : rows) {
    expectedMaxCells =
        std::max(expectedMaxCells, std::min<int>(static_cast<int>(row.cells.size()),
                                                 CsvTable::kScanCellLimit));
  }

  CsvTable table;
  if (!table.Open(file.path())) return "Open failed on a readable file";
  table.Scan();
  if (table.rowCount() != static_cast<int>(rows.size())) {
    return "Scan counted " + std::to_string(table.rowCount()) + " rows, expected " +
           std::to_string(rows.size());
  }
  if (table.maxCellCount() != expectedMaxCells) {
    return "Scan found at most " + std::to_string(table.maxCellCount()) +
           " cells in a row, expected " + std::to_string(expectedMaxCells);
  }

  size_t read = 0;
  for (int count = table.ReadRow(); count >= 0; count = table.ReadRow()) {
    if (read == rows.size()) return "ReadRow returned more rows than Scan counted";
    if (std::string failure = CheckRow(table, count, rows[read], read); !failure.empty()) {
      return failure;
    }
    ++read;
  }
  if (read != rows.size()) {
    return "ReadRow returned " + std::to_string(read) + " rows, Scan counted " +
           std::to_string(rows.size());
  }
  for (int again = 0; again < 3; ++again) {
    if (table.ReadRow() != -1 || table.cellCount() != -1) {
      return "reading past the end did not keep returning -1";
    }
    if (!table.cell(0).empty()) return "a cell is left after the end of the file";
  }
  if (table.readFailed()) return "readFailed() on an in-memory file";

  // Scan goes back to the start: the first row comes again, unchanged.
  table.Scan();
  if (table.rowCount() != static_cast<int>(rows.size())) return "a second Scan counted differently";
  if (!rows.empty()) {
    if (std::string failure = CheckRow(table, table.ReadRow(), rows.front(), 0); !failure.empty()) {
      return "after a second Scan, " + failure;
    }
  }
  table.Close();
  return {};
}

}  // namespace kelvara::fuzz
