// kelvara-tab's workbooks: --xlsx beside a run, and --xlsx-from for a saved
// results file.
#pragma once

#include <optional>
#include <span>
#include <string>

#include "engine/report/run_conditions.h"

namespace kelvara {

// The workbook of `lines` as the bytes of an .xlsx file; nothing, with
// `error` set, when it cannot be made (no block among the lines, or no
// library in this build).
std::optional<std::string> WorkbookBytes(std::span<const std::string> lines,
                                         std::span<const RunSpan> runs, std::string& error);

// The lines of a saved results file (code page 932 or UTF-8); nothing, with
// `error` set, when it cannot be read or holds no report block.
std::optional<std::vector<std::string>> ResultsFileLines(const std::string& fileName,
                                                         std::string& error);

// Writes `bytes` to the file named `fileName` (UTF-8) all or nothing.
bool WriteWorkbookFile(const std::string& fileName, std::string_view bytes, std::string& error);

// Whether two names lead to one existing file.
bool SameFile(const std::string& a, const std::string& b);

}  // namespace kelvara
