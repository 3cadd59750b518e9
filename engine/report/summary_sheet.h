// The summary (一覧) as a sheet of a workbook.
#pragma once

#include <span>
#include <string>

#include "engine/report/summary_table.h"
#include "engine/report/workbook.h"

namespace kelvara {

// The sections one under another, an empty row between: the section's title,
// a row of column headings (変数, 統計量, then the age groups), then its rows.
// Values are numbers in the format of their row's decimals; a field that is
// no number stays as its text. The two label columns are frozen.
WorkbookSheet SummarySheet(std::span<const SummarySection> sections, std::string sheetName);

}  // namespace kelvara
