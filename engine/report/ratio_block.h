// The lines of a block of ratios of weighted totals.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "engine/design_options.h"
#include "engine/statistics/age_group_scheme.h"
#include "engine/statistics/column_figures.h"

namespace kelvara {

// "（比の推定）", which follows "NUM/DEN" in the block's header.
std::string_view RatioSuffix();

// The block's column titles, each between double quotes: 性年齢, 人数,
// 欠損値人数, 比, 標準誤差 and, as `design` asks, the confidence interval's and
// the coefficient of variation's.
std::string RatioTitleLine(const DesignOptions& design);

// How the block's method line starts, after the opening quote.
std::string_view RatioMethodStart();

// Header "【NUM/DEN（比の推定）】"; the titles 性年齢, 人数, 欠損値人数, 比,
// 標準誤差 and, as `design` asks, the confidence interval's and the
// coefficient of variation's; one line per group: label, persons, missing,
// and where it has members the ratio, its standard error (from two members)
// and the added figures (from two members); the strata line, a line on the
// method, and an empty line. A ratio block has no percentiles: the persons'
// values are pairs, of which only the totals are estimated.
std::vector<std::string> RatioBlockLines(std::string_view numeratorName,
                                         std::string_view denominatorName,
                                         const ColumnFigures& figures,
                                         std::span<const AgeGroup> groups,
                                         const DesignOptions& design);

}  // namespace kelvara
