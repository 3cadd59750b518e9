// Blocks a run may add besides each variable's own: the variables' intakes
// adjusted for energy, and ratios of weighted totals.
#pragma once

namespace kelvara {

// How a nutrient's intake is adjusted for energy intake.
enum class EnergyAdjustmentMethod {
  none,
  // Willett's residual method: within each sex, the residual of a weighted
  // least-squares regression of the nutrient on energy, plus the fitted value
  // at the sex's weighted mean energy.
  residual,
  // Nutrient density: nutrient / energy x 1000, per 1000 kcal.
  density,
};

struct EnergyAdjustment {
  EnergyAdjustmentMethod method = EnergyAdjustmentMethod::none;
  int energyColumn = -1;  // column index (0-based) of energy intake, in kcal

  bool enabled() const { return method != EnergyAdjustmentMethod::none; }
};

// The ratio of weighted totals of two columns, sum w NUM / sum w DEN, over
// the members of a group who have both values.
struct RatioOfTotals {
  int numeratorColumn = -1;
  int denominatorColumn = -1;
};

}  // namespace kelvara
