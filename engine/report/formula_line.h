// The line that ends a computed variable's block: how its values were worked
// out, so that the report keeps the expression beside the figures.
#pragma once

#include <string>
#include <string_view>

namespace kelvara {

// "計算式：<formula>" between double quotes (a quote inside doubled), code
// page 932.
std::string FormulaLine(std::string_view formula);

}  // namespace kelvara
