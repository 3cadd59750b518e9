// The lines of one variable's block, from its figures.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "engine/design_options.h"
#include "engine/report/report_format.h"
#include "engine/statistics/age_group_scheme.h"
#include "engine/statistics/column_figures.h"

namespace kelvara {

// The added fields of a group line, in report order, for the figures
// `design` asks for; shares in percent. A figure that cannot be formed is not
// a number (an empty field).
std::vector<AddedField> AddedFields(const GroupStatistics& statistics, const DesignOptions& design);

// Header "【name】", the column titles, one line per group (labelled from
// `groups`, the run's scheme), the strata line, the reference line when
// `design` judges, and an empty line.
std::vector<std::string> VariableBlockLines(std::string_view name, const ColumnFigures& figures,
                                            std::span<const AgeGroup> groups,
                                            const DesignOptions& design);

}  // namespace kelvara
