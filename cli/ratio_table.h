// The table of within/between-person variance ratios by variable, sex and age
// band that --variance-ratios reads, for a survey of one day.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "cli/tab_options.h"

namespace kelvara {

// One row: VAR,SEX,AGE,R. SEX is 1 or 2 (0 for both), AGE any age of the
// band the ratio holds for (30 for 30～39; empty for every band of the sex).
struct RatioRow {
  ColumnName variable;
  int sex = 0;
  std::optional<double> age;
  double ratio = 0;
};

// Reads the table: UTF-8 text (a byte order mark is dropped), one row a
// line, a first line whose last field is no number taken as the header,
// blank lines and lines starting with # passed over. On a bad row returns nothing and puts
// its line number and what is wrong into `error`.
std::optional<std::vector<RatioRow>> ReadRatioTable(const std::filesystem::path& fileName,
                                                    std::string& error);

}  // namespace kelvara
