// The lines of a block of energy-adjusted intakes.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "engine/design_options.h"
#include "engine/statistics/column_figures.h"
#include "engine/statistics/energy_adjustment.h"

namespace kelvara {

// "（エネルギー調整：残差法）" or "（エネルギー密度：1000kcal当たり）", which
// follows the nutrient's name in the block's header.
std::string_view EnergyAdjustedSuffix(EnergyAdjustmentMethod method);

// How the method lines of the residual and the density blocks start, after
// the opening quote.
std::vector<std::string_view> EnergyAdjustedLineStarts();

// The block headed 【name（…）】: the ordinary block's lines over the
// adjusted intakes, with the method line before the closing empty line: the
// fit of each sex (slope, intercept, mean energy, persons) or the density's
// formula, the persons without an adjusted intake, and, for the residual
// method, that the standard errors leave out the uncertainty of the fit.
std::vector<std::string> EnergyAdjustedBlockLines(std::string_view nutrientName,
                                                  std::string_view energyName,
                                                  EnergyAdjustmentMethod method,
                                                  const EnergyAdjustedIntakes& intakes,
                                                  const ColumnFigures& figures,
                                                  std::span<const AgeGroup> groups,
                                                  const DesignOptions& design);

}  // namespace kelvara
