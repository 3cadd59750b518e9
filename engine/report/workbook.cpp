#include "engine/report/workbook.h"

#include <algorithm>
#include <cassert>
#include <charconv>

#include "engine/report/report_format.h"

namespace kelvara {
namespace {

// Room beside the widest text, and the bounds of a fitted width: a column is
// never too narrow to click, nor so wide that one long label hides the table.
constexpr double kPadding = 2;
constexpr double kNarrowest = 6;
constexpr double kWidest = 60;

size_t NumberWidth(double number, int decimals) {
  if (decimals < 0) return FormatNumber(number).size();
  char buffer[400];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, number,
                                    std::chars_format::fixed, decimals);
  return result.ec == std::errc() ? static_cast<size_t>(result.ptr - buffer) : sizeof buffer;
}

}  // namespace

WorkbookCell& WorkbookSheet::Add(uint32_t row, uint16_t column) {
  assert((cells.empty() || cells.back().row < row ||
          (cells.back().row == row && cells.back().column < column)) &&
         "cells are added in row order, and by column within a row");
  WorkbookCell& cell = cells.emplace_back();
  cell.row = row;
  cell.column = column;
  return cell;
}

void WorkbookSheet::AddText(uint32_t row, uint16_t column, std::string text, bool heading) {
  WorkbookCell& cell = Add(row, column);
  cell.text = std::move(text);
  cell.heading = heading;
}

void WorkbookSheet::AddNumber(uint32_t row, uint16_t column, double number, int decimals) {
  WorkbookCell& cell = Add(row, column);
  cell.number = number;
  cell.decimals = decimals;
}

void WorkbookSheet::FitColumnWidths() {
  columnWidths.clear();
  for (const WorkbookCell& cell : cells) {
    if (cell.runsOver) continue;
    const size_t width = cell.number ? NumberWidth(*cell.number, cell.decimals) : cell.text.size();
    if (columnWidths.size() <= cell.column) columnWidths.resize(cell.column + 1, 0);
    columnWidths[cell.column] = std::max(columnWidths[cell.column], static_cast<double>(width));
  }
  for (double& width : columnWidths) width = std::clamp(width + kPadding, kNarrowest, kWidest);
}

}  // namespace kelvara
