#include "fuzz/report_check.h"

#include <cmath>
#include <set>
#include <vector>

#include "engine/report/block_scheme.h"
#include "engine/report/report_format.h"
#include "engine/report/report_reading.h"
#include "engine/report/results_workbook.h"
#include "engine/report/sheet_names.h"
#include "engine/reading/text_blocks.h"

namespace kelvara::fuzz {
namespace {

// The workbook of any lines: a sheet per block between 一覧 and 条件, each
// validly and distinctly named, its cells in order and its numbers finite.
std::string CheckWorkbook(std::span<const std::string> lines, size_t blockCount) {
  SummaryDecimals decimals;
  decimals.shares = 1;
  const Workbook workbook = ResultsWorkbook(lines, {}, decimals);
  if (workbook.sheets.size() != blockCount + 2) return "not a sheet per block";
  std::set<std::string> names;
  for (const WorkbookSheet& sheet : workbook.sheets) {
    if (!SheetNames::Valid(sheet.name)) return "invalid sheet name";
    std::string folded = sheet.name;
    for (char& c : folded) c = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    if (!names.insert(folded).second) return "sheet name taken twice";
    for (size_t i = 0; i < sheet.cells.size(); ++i) {
      const WorkbookCell& cell = sheet.cells[i];
      if (cell.number && !std::isfinite(*cell.number)) return "a number cell not finite";
      if (i > 0 && (sheet.cells[i - 1].row > cell.row ||
                    (sheet.cells[i - 1].row == cell.row && sheet.cells[i - 1].column >= cell.column))) {
        return "cells out of order";
      }
    }
  }
  return {};
}

}  // namespace

std::string CheckReportReading(std::string_view bytes) {
  std::vector<std::string> lines;
  LineCursor cursor(bytes);
  for (std::string_view line; cursor.Next(line);) lines.emplace_back(line);

  const std::vector<ReportBlock> blocks = ReadReportBlocks(lines);
  size_t next = 0;  // blocks start in order, each after the one before
  for (const ReportBlock& block : blocks) {
    if (block.headerLine < next || block.headerLine >= lines.size()) return "header out of order";
    next = block.headerLine + 1;
    // The name is exactly what the header line's brackets enclose.
    if (HeaderLine(block.name) != lines[block.headerLine]) return "name does not rebuild its line";
    if (block.titles.empty() && !block.groups.empty()) return "groups without column titles";
    for (const ReportGroupLine& group : block.groups) {
      if (group.label.empty()) return "group without a label";
      if (group.values.size() > block.titles.size()) return "more values than columns";
    }
    if (const std::optional<BlockScheme> scheme = MatchScheme(block)) {
      if (scheme->groups.size() != block.groups.size()) return "scheme groups do not match";
      for (size_t g = 0; g < block.groups.size(); ++g) {
        if (scheme->groups[g] != nullptr && block.groups[g].label != scheme->groups[g]->label) {
          return "group matched to another label";
        }
      }
    }
  }
  return CheckWorkbook(lines, blocks.size());
}

}  // namespace kelvara::fuzz
