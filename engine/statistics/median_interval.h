// Values at given shares of each group, by the report's percentile rule:
// the ends of the median's confidence interval.
#pragma once

#include <array>
#include <span>

#include "engine/statistics/group_statistics.h"
#include "engine/statistics/value_order.h"
#include "engine/statistics/weighted_percentiles.h"

namespace kelvara {

// One group's two shares (fractions) and, once found, their values; a share
// outside 0-1 (or not a number) has no value.
struct ShareEnds {
  double totalWeight = 0.0;  // W
  double memberCount = 0.0;  // N
  std::array<double, 2> share{};
  std::array<double, 2> value{GroupStatistics::kNoFigure, GroupStatistics::kNoFigure};
  // Where the group's percentile walk over the same members stood at each
  // percentile, in order; the walk for the shares starts at the last mark at
  // or below both targets (at the first member without one).
  std::span<const PercentileMark> marks;
};

// `members` in ascending order of value. The value at share p is found as the
// percentile P(100p): target T = (W/N + W) * p, the first member whose
// cumulative weight reaches T, interpolated over that member's weight from
// the value before it, or the largest value when T exceeds the total weight.
void ValuesAtShares(std::span<const ValuedMember> members, std::span<ShareEnds> groups);

}  // namespace kelvara
