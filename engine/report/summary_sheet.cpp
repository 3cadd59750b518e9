#include "engine/report/summary_sheet.h"

namespace kelvara {
namespace {

constexpr std::string_view kVariable = "\x95\xCF\x90\x94";        // 変数
constexpr std::string_view kStatistic = "\x93\x9D\x8Cv\x97\xCA";  // 統計量

}  // namespace

WorkbookSheet SummarySheet(std::span<const SummarySection> sections, std::string sheetName) {
  WorkbookSheet sheet;
  sheet.name = std::move(sheetName);
  sheet.frozenColumns = 2;
  uint32_t row = 0;
  for (const SummarySection& section : sections) {
    if (row > 0) ++row;  // an empty row between sections
    sheet.AddText(row++, 0, section.title, true);
    sheet.AddText(row, 0, std::string(kVariable), true);
    sheet.AddText(row, 1, std::string(kStatistic), true);
    for (size_t c = 0; c < section.columns.size(); ++c) {
      sheet.AddText(row, static_cast<uint16_t>(c + 2), section.columns[c], true);
    }
    ++row;
    for (const SummaryRow& line : section.rows) {
      if (!line.variable.empty()) sheet.AddText(row, 0, line.variable);
      sheet.AddText(row, 1, line.statistic);
      for (size_t c = 0; c < line.values.size(); ++c) {
        const auto column = static_cast<uint16_t>(c + 2);
        if (line.values[c]) {
          sheet.AddNumber(row, column, *line.values[c], line.decimals);
        } else if (!line.texts[c].empty()) {
          sheet.AddText(row, column, line.texts[c]);
        }
      }
      ++row;
    }
  }
  sheet.FitColumnWidths();
  return sheet;
}

}  // namespace kelvara
