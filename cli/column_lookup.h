// Matching the columns named on the command line against the header row.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "cli/tab_options.h"

namespace kelvara {

// Reads the header row (the first non-blank row) of a survey data file as code
// page 932 cells, converted from UTF-8 for a file in UTF-8. Returns nothing, with a message in `error`, when the file
// cannot be read or holds no row.
std::optional<std::vector<std::string>> ReadHeaderRow(const std::filesystem::path& fileName,
                                                      std::string& error);

// The 0-based column index of `name`: a 1-based number within the header row,
// or a header cell's exact text (UTF-8, compared in code page 932). `role`
// names the column in the message put into `error` when it matches nothing.
std::optional<int> ResolveColumn(const ColumnName& name, const std::vector<std::string>& header,
                                 const std::string& role, std::string& error);

// The numerator's and denominator's 0-based column indices of "NUM/DEN", each
// as ResolveColumn takes it. A header text may hold a slash itself, so the
// text is split at the one slash whose two sides both name a column; nothing,
// with a message in `error`, when none or several do.
std::optional<std::pair<int, int>> ResolveRatio(const std::string& text,
                                                const std::vector<std::string>& header,
                                                std::string& error);

}  // namespace kelvara
