// The usual-intake block of one variable: the persons' estimated usual
// intakes through the report's own block writer, closed by a method line.
#pragma once

#include <string>
#include <vector>

#include "engine/reading/survey_data.h"
#include "engine/statistics/person_days.h"
#include "engine/statistics/run_layout.h"
#include "engine/statistics/usual_intake.h"
#include "engine/statistics/variable_tabulation.h"
#include "engine/usual_intake_options.h"

namespace kelvara {

// The persons' days of variable `variable` (file column `column`), with the
// estimation cells (sex x age band of the layout's scheme) of their first
// rows and the ratios the options give.
PersonIntakes GatherPersonIntakes(const SurveyData& days, const PersonDays& persons,
                                  const RunLayout& layout, size_t variable, int column,
                                  const UsualIntakeOptions& options);

// The block headed 【name（習慣的摂取量）】. `layout` lays out the persons
// (their first rows), as for the ordinary block of a run with a person
// column.
std::vector<std::string> UsualIntakeBlock(const SurveyData& days, const PersonDays& persons,
                                          const RunLayout& layout, size_t variable, int column,
                                          const UsualIntakeOptions& options,
                                          const DesignOptions& design, ColumnWorkspace& work);

// The line telling that the ordinary block counts each person's first row
// only, with the numbers of persons and rows.
std::string FirstRowsLine(size_t personCount, size_t rowCount);

}  // namespace kelvara
