// A nutrient's intakes adjusted for energy intake, person by person: by
// Willett's residual method or as a density per 1000 kcal.
#pragma once

#include <array>
#include <cmath>
#include <cstdint>

#include "engine/added_block_options.h"
#include "engine/reading/survey_data.h"
#include "engine/statistics/group_statistics.h"
#include "engine/statistics/run_layout.h"

namespace kelvara {

// One sex's weighted least-squares fit of the nutrient y on energy x:
// y = intercept + slope x, over the persons who have both values.
struct EnergyFit {
  int32_t persons = 0;
  double slope = GroupStatistics::kNoFigure;
  double intercept = GroupStatistics::kNoFigure;
  double meanEnergy = GroupStatistics::kNoFigure;  // the persons' weighted mean of x

  // A fit needs a positive total weight and energies that differ.
  bool fitted() const { return !std::isnan(slope); }
};

struct EnergyAdjustedIntakes {
  // Per file row: the adjusted intake, valid where the nutrient and the
  // energy allow one (and, by the residual method, the person's sex has a
  // fit).
  VariableColumn adjusted;
  std::array<EnergyFit, 2> fits;  // men, women; by the residual method
  // Persons with usable classification cells and the nutrient but no
  // adjusted intake: energy missing (density: or 0 or less), and, by the
  // residual method, of a sex coded neither 1 nor 2.
  int32_t energyMissing = 0;
  int32_t sexUnknown = 0;
};

// The residual method fits each sex on every person of that sex whose
// classification cells are usable and who has both values, in any age; a
// person's adjusted intake is the residual y - (a + b x) plus the fitted
// value at the sex's mean energy, a + b xbar, so that the adjusted intakes
// of the fit keep the nutrient's weighted mean. `nutrient` and `energy` are
// per file row of the layout's data.
EnergyAdjustedIntakes AdjustForEnergy(const VariableColumn& nutrient,
                                      const VariableColumn& energy, const SurveyData& data,
                                      const RunLayout& layout, EnergyAdjustmentMethod method);

}  // namespace kelvara
