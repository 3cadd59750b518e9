// The design-based figures formed from a group's standard error.
#pragma once

#include <cstdint>

#include "engine/statistics/group_statistics.h"

namespace kelvara {

// How one variable's usable respondents spread over the design.
struct DesignCounts {
  int32_t strata = 0;            // strata holding a sampling unit
  int32_t units = 0;             // sampling units L
  int32_t singleUnitStrata = 0;  // strata of one unit (certainty units)
};

// Degrees of freedom of the design: units minus strata with a strata column,
// units minus 1 with sampling units alone, usable respondents minus 1 with
// neither.
int32_t DegreesOfFreedom(bool hasStrata, bool hasUnits, const DesignCounts& counts,
                         int32_t usableRows);

// t(0.975, df), the multiplier of the 95% confidence interval; not a number
// when df < 1, where no interval can be formed.
double ConfidenceMultiplier(int32_t degreesOfFreedom);

// Fills the mean's confidence limits (with `confidenceMultiplier`, not a
// number when no interval is asked for), the coefficient of variation and
// the design effect from the group's mean, SD and SE.
void AddDesignFigures(GroupStatistics& statistics, double confidenceMultiplier);

}  // namespace kelvara
