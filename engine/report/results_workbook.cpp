#include "engine/report/results_workbook.h"

#include "engine/report/block_sheet.h"
#include "engine/report/conditions_sheet.h"
#include "engine/report/sheet_names.h"
#include "engine/report/summary_sheet.h"

namespace kelvara {
namespace {

constexpr std::string_view kSummaryName = "\x88\xEA\x97\x97";     // 一覧
constexpr std::string_view kConditionsName = "\x8F\xF0\x8C\x8F";  // 条件

const RunConditions* RunOf(size_t line, std::span<const RunSpan> runs) {
  for (const RunSpan& run : runs) {
    if (run.firstLine <= line && line < run.endLine) return &run.conditions;
  }
  return nullptr;
}

}  // namespace

Workbook ResultsWorkbook(std::span<const std::string> lines, std::span<const RunSpan> runs,
                         const SummaryDecimals& decimals) {
  const std::vector<ReportBlock> blocks = ReadReportBlocks(lines);
  SheetNames names;
  const std::string summaryName = names.Take(kSummaryName);
  const std::string conditionsName = names.Take(kConditionsName);
  Workbook workbook;
  workbook.sheets.push_back(SummarySheet(SummarySections(blocks, lines, decimals), summaryName));
  std::vector<RunConditions> conditions;
  for (const ReportBlock& block : blocks) {
    workbook.sheets.push_back(BlockSheet(block, lines, names.Take(block.name)));
    conditions.push_back(ConditionsOfBlock(block, RunOf(block.headerLine, runs)));
  }
  workbook.sheets.push_back(ConditionsSheet(blocks, conditions, conditionsName));
  return workbook;
}

}  // namespace kelvara
