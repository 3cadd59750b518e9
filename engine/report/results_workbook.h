// The workbook of some results: the summary 一覧, a sheet per block, and the
// conditions 条件. Made from report lines alone (a run's, or a results
// file's), so that every way to it gives the same workbook for the same
// lines.
#pragma once

#include <span>
#include <string>

#include "engine/report/run_conditions.h"
#include "engine/report/summary_table.h"
#include "engine/report/workbook.h"

namespace kelvara {

// `runs` names the runs whose lines are known (their conditions go into
// 条件); the other blocks tell what they can of themselves. Sheets: 一覧,
// then one per block in order, named after the block, then 条件.
Workbook ResultsWorkbook(std::span<const std::string> lines, std::span<const RunSpan> runs,
                         const SummaryDecimals& decimals);

}  // namespace kelvara
