// The line that ends a block judged against reference values: the table
// used, the nutrient, and how many persons were not judged and why.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "engine/statistics/reference_judgement.h"

namespace kelvara {

// "基準値：<title>、栄養素：<key>、判定しなかった人数：EAR 3（1歳未満 3）、UL 0"
// between double quotes, code page 932; a figure the table does not give for
// the nutrient is left out. Then, where it applies, "、基準値は列の単位μgに換算"
// (the table's values converted to the column's unit) and that the DG of a
// sodium column is salt's, converted. Without a nutrient:
// "基準値：<title>、栄養素：対応なし".
std::string ReferenceLine(std::string_view title, const NutrientReference* nutrient,
                          const NotJudgedCounts& counts);

// The start of every such line, its opening quote included.
std::string_view ReferenceLinePrefix();

// The table's title named by such a line; nothing when `line` is not one.
std::optional<std::string> ReferenceLineTable(std::string_view line);

// The nutrient's key named by such a line; empty when it names none
// (対応なし), nothing when `line` is not one.
std::optional<std::string> ReferenceLineNutrient(std::string_view line);

}  // namespace kelvara
