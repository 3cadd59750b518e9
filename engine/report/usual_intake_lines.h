// The lines of a usual-intake block, and the line a run by person adds to
// the ordinary block.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "engine/design_options.h"
#include "engine/statistics/run_layout.h"
#include "engine/statistics/usual_intake_figures.h"

namespace kelvara {

// "（習慣的摂取量）", which follows the variable's name in the block's header.
std::string_view UsualIntakeSuffix();

// The block headed 【name（習慣的摂取量）】: the ordinary block's lines over
// the persons' usual intakes, with the method line before the closing empty
// line (preceded by a warning when day values of 0 or less are too many for
// a daily-intake model); or, when the fit was refused, the header and a line
// saying why.
std::vector<std::string> UsualIntakeBlockLines(std::string_view name,
                                               const UsualIntakeFigures& usual,
                                               const RunLayout& layout,
                                               const DesignOptions& design);

// How the block's own lines start, after the opening quote: the method line
// (and the line of a refused block), and the warning on day values of 0 or
// less.
std::vector<std::string_view> UsualIntakeLineStarts();

// The line telling that the ordinary block counts each person's first row
// only, with the numbers of persons and rows, and of persons whose rows
// disagree on their classification or weight when there are any.
std::string FirstRowsLine(size_t personCount, size_t rowCount, size_t disagreeingPersons = 0);

}  // namespace kelvara
