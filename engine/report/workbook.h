// A workbook of report tables as cells: what the results become in a
// spreadsheet, before any file format. Text is code page 932, as in the
// report; the program around the engine writes the file.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kelvara {

struct WorkbookCell {
  uint32_t row = 0;
  uint16_t column = 0;
  // A number cell holds the number; otherwise the cell holds `text`.
  std::optional<double> number;
  std::string text;
  // A number's format: -1 the spreadsheet's General (the stored value as it
  // is, which for six significant digits is the report's text), else that
  // many decimals.
  int decimals = -1;
  bool heading = false;  // titles and labels, set off in bold
  // Text allowed to run on over the empty cells to its right (a block's
  // closing lines): it does not widen its column.
  bool runsOver = false;
};

struct WorkbookSheet {
  std::string name;  // valid and unique in its workbook (sheet_names.h)
  std::vector<WorkbookCell> cells;  // in row order, and by column within a row
  std::vector<double> columnWidths;  // in widths of a digit, from column 0
  uint32_t frozenRows = 0;  // rows and columns kept in view when scrolling
  uint16_t frozenColumns = 0;

  // Appends a cell; rows and columns must come in order.
  WorkbookCell& Add(uint32_t row, uint16_t column);
  void AddText(uint32_t row, uint16_t column, std::string text, bool heading = false);
  void AddNumber(uint32_t row, uint16_t column, double number, int decimals = -1);
  // Sets each column's width to fit its widest cell: the text's display
  // width (a code page 932 double-byte character is a wide character, two
  // columns, as its byte count says), or the number as the report prints it.
  void FitColumnWidths();
};

struct Workbook {
  std::vector<WorkbookSheet> sheets;
};

}  // namespace kelvara
