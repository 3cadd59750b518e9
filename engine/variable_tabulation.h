// The report block of one analysis variable.
#pragma once

#include <string>
#include <vector>

#include "engine/run_layout.h"
#include "engine/survey_data.h"

namespace kelvara {

// The lines of one variable's block: header, column titles, one line per
// group of the run's scheme, the strata line and an empty line.
std::vector<std::string> TabulateColumn(const SurveyData& data, const RunLayout& layout,
                                        size_t variable);

}  // namespace kelvara
