// The table of within/between-person variance ratios by variable, sex and age
// band, for a survey of one day: kelvara-tab's --variance-ratios and the
// window's ratio file read it alike.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "engine/usual_intake_options.h"

namespace kelvara {

// One row: VAR,SEX,AGE,R. VAR is a column's 1-based number or its header
// text (UTF-8, as written); SEX is 1 or 2 (0 for both), AGE any age of the
// band the ratio holds for (30 for 30～39; empty for every band of the sex).
struct RatioRow {
  std::string variable;
  int sex = 0;
  std::optional<double> age;
  double ratio = 0;
};

// What keeps a table from being read, for each program to say in its own
// words; `line` (from 1) for a row's problem.
struct RatioTableProblem {
  enum class Kind {
    none,
    cannotOpen,
    cannotRead,
    fieldCount,  // not 4 fields
    noVariable,
    badSex,      // not 0, 1 or 2
    badAge,      // neither a number nor empty
    badRatio,    // not a number of 0 or more
  };
  Kind kind = Kind::none;
  int line = 0;
};

// Reads the table: UTF-8 text (a byte order mark is dropped), one row a
// line, a first line whose last field is no number taken as the header,
// blank lines and lines starting with # passed over. Nothing on the first
// problem, which `problem` then holds.
std::optional<std::vector<RatioRow>> ReadRatioTable(const std::filesystem::path& fileName,
                                                    RatioTableProblem& problem);

// The ratio a row gives, once its variable is found to be `column`.
VarianceRatio GivenRatio(const RatioRow& row, int column);

}  // namespace kelvara
