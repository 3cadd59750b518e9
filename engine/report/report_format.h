// The report lines of one variable's block, as code page 932 bytes.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "engine/statistics/design_figures.h"
#include "engine/design_options.h"
#include "engine/statistics/group_statistics.h"

namespace kelvara {

// %g at the default precision (6 significant digits) exactly as the C locale
// prints it, whatever the process locale. A statistic that cannot be computed
// (not a number, as a square root of a negative variance gives under negative
// weights) is an empty field.
std::string FormatNumber(double value);

// `text` between double quotes: a line of one field, such as a method line.
std::string QuotedLine(std::string_view text);

// A field the design options add to a group line: a figure, printed as
// FormatNumber prints it, or a count of persons, printed whole; empty when
// the figure is not a number or there is no count.
struct AddedField {
  AddedField(double figure) : value(figure) {}  // NOLINT: a figure is the usual field
  static AddedField Count(std::optional<int32_t> persons) {
    AddedField field(persons ? *persons : GroupStatistics::kNoFigure);
    field.count = true;
    return field;
  }

  double value;
  bool count = false;
};

// "【name】" between double quotes.
std::string HeaderLine(std::string_view variableName);

// The 17 column titles, each between double quotes.
std::string_view ColumnTitleLine();

// The titles of the columns the design options add, in report order, without
// quotes.
std::vector<std::string> AddedColumnTitles(const DesignOptions& design);

// The 17 column titles followed by those the design options add.
std::string ColumnTitleLine(const DesignOptions& design);

// One group's line: 3 fields when no member was used, else 17 (standard
// deviation and standard error empty for a single member), followed by
// `addedFields` when at least two members were used.
std::string GroupLine(std::string_view label, const GroupStatistics& statistics,
                      std::span<const AddedField> addedFields = {});

// The line that closes a block without strata: the simple-random-sampling
// note when there is exactly one sampling unit, else the number of units,
// under the report's old title 層の数 (each unit counted as a stratum).
std::string StrataLine(int nUnits);

// The strata line of a stratified design: the numbers of strata, units and
// degrees of freedom, and of strata holding a single unit when there are any.
std::string StrataLine(const DesignCounts& counts);

}  // namespace kelvara
