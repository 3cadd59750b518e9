#include "engine/report/block_sheet.h"

#include <cassert>

#include "engine/report/report_format.h"

namespace kelvara {
namespace {

// The most columns a sheet's row takes from one line: far more than a
// report line holds, few enough for any spreadsheet.
constexpr size_t kColumnLimit = 256;

enum class Kind { heading, group, closing };

// A line's fields across a row: a group's figures as the numbers they
// print, everything else as text.
void AddFields(WorkbookSheet& sheet, uint32_t row, const std::vector<std::string>& fields,
               Kind kind) {
  for (size_t c = 0; c < fields.size() && c < kColumnLimit; ++c) {
    if (fields[c].empty()) continue;
    const auto column = static_cast<uint16_t>(c);
    const std::optional<double> number =
        kind == Kind::group && c > 0 ? ReportFieldNumber(fields[c]) : std::nullopt;
    if (number) {
      sheet.AddNumber(row, column, *number);
    } else {
      sheet.AddText(row, column, fields[c], kind == Kind::heading);
      sheet.cells.back().runsOver = kind == Kind::closing;
    }
  }
}

}  // namespace

WorkbookSheet BlockSheet(const ReportBlock& block, std::span<const std::string> lines,
                         std::string sheetName) {
  assert(block.headerLine < lines.size() && block.endLine <= lines.size() &&
         "the block was read from these lines");
  WorkbookSheet sheet;
  sheet.name = std::move(sheetName);
  uint32_t row = 0;
  const std::string heading = HeaderLine(block.name);  // "【name】", quotes and all
  sheet.AddText(row++, 0, heading.substr(1, heading.size() - 2), true);
  sheet.cells.back().runsOver = true;  // the name may be long
  size_t closing = block.headerLine + 1;  // where the closing lines start
  if (!block.titles.empty()) {
    AddFields(sheet, row++, ReportLineFields(lines[block.headerLine + 1]), Kind::heading);
    closing = block.headerLine + 2;
    sheet.frozenRows = 2;
    sheet.frozenColumns = 1;
  }
  for (const ReportGroupLine& group : block.groups) {
    AddFields(sheet, row++, ReportLineFields(lines[group.line]), Kind::group);
    closing = group.line + 1;
  }
  for (size_t i = closing; i < block.endLine; ++i) {
    AddFields(sheet, row++, ReportLineFields(lines[i]), Kind::closing);
  }
  if (block.provenance) {
    AddFields(sheet, row++, ReportLineFields(lines[block.headerLine - 1]), Kind::closing);
  }
  sheet.FitColumnWidths();
  return sheet;
}

}  // namespace kelvara
