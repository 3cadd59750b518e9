// The report lines of one variable's block, as code page 932 bytes.
#pragma once

#include <string>
#include <string_view>

#include "engine/group_statistics.h"

namespace kelvara {

// %g at the default precision (6 significant digits) exactly as the C locale
// prints it, whatever the process locale. A statistic that cannot be computed
// (not a number, as a square root of a negative variance gives under negative
// weights) is an empty field.
std::string FormatNumber(double value);

// "【name】" between double quotes.
std::string HeaderLine(std::string_view variableName);

// The 17 column titles, each between double quotes.
std::string_view ColumnTitleLine();

// One group's line: 3 fields when no member was used, else 17 (standard
// deviation and standard error empty for a single member).
std::string GroupLine(std::string_view label, const GroupStatistics& statistics);

// The simple-random-sampling note when there is exactly one sampling unit,
// else the number of strata.
std::string StrataLine(int nStrata);

}  // namespace kelvara
