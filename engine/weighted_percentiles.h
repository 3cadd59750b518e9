// Weighted percentiles of one group's members.
#pragma once

#include <array>
#include <cstdint>
#include <span>

namespace kelvara {

// Fills pct[p] for p = 0..100 from the members `rows` (at least one), sorted
// by ascending value. For each p the target cumulative weight is
// T = (W/N + W) * p * 0.01; the percentile lies at the first member whose
// cumulative weight reaches T, interpolated linearly over that member's
// weight from the value before it. W is the members' total weight, N their
// number.
void WeightedPercentiles(std::span<const uint32_t> rows, const double* value,
                         const double* weight, double totalWeight, double memberCount,
                         std::array<double, 101>& pct);

}  // namespace kelvara
