// One block of the results as a sheet of a workbook: its heading, column
// titles, a row per group with numbers stored as numbers, and its closing
// lines below as text.
#pragma once

#include <span>
#include <string>

#include "engine/report/report_reading.h"
#include "engine/report/workbook.h"

namespace kelvara {

// The sheet of `block`, read from `lines` (those the block was read from).
// Each field is stored as the number it prints (locale-free, the double the
// text stands for, so that the sheet and the CSV agree to the last digit);
// an empty field stays empty, and a field that is no finite number (inf)
// stays as its text. The heading and titles rows, and the label column, are
// frozen. The provenance line, when there is one, comes last.
WorkbookSheet BlockSheet(const ReportBlock& block, std::span<const std::string> lines,
                         std::string sheetName);

}  // namespace kelvara
