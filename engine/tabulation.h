// A tabulation run: report blocks for the analysis variables of a survey file.
#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/survey_data.h"

namespace kelvara {

// Receives the report lines, one call per line, in order. Lines are code page
// 932 bytes without a line end.
using LineSink = std::function<void(std::string_view line)>;

struct RunRequest {
  std::filesystem::path fileName;
  ColumnChoice columns;
  std::vector<int> variableColumns;  // one block per entry, in this order
  int schemeItemIndex = 0;           // 0 table 1, 1 table 2, 2 part 5, else category
};

// Runs every variable of the request and hands the blocks to `sink`, in the
// request's order. The file is read once for all variables; variables are
// computed in parallel on `threads` threads (0: one per core), with the same
// result for any number of threads. Lines reach the sink only when every block
// is complete: on a failed status, or when memory runs out (std::bad_alloc
// leaves the call), nothing has been handed over.
RunStatus TabulateVariables(const RunRequest& request, const LineSink& sink, unsigned threads = 0);

// One variable's block, as the run command produces it for one ticked
// variable. Column indices are 0-based; stratumColumn and weightColumn may be
// -1 for none.
RunStatus TabulateVariable(const std::filesystem::path& fileName, int stratumColumn, int sexColumn,
                           int ageColumn, int pregnancyColumn, int variableColumn,
                           int weightColumn, int schemeItemIndex, const LineSink& sink);

}  // namespace kelvara
