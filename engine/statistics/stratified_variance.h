// The variance of group means under a stratified design: sampling units
// nested in strata, drawn with replacement.
#pragma once

#include <cstdint>
#include <span>
#include <utility>
#include <vector>

#include "engine/statistics/design_figures.h"
#include "engine/statistics/person_values.h"
#include "engine/statistics/run_layout.h"

namespace kelvara {

// The z of the units of one stratum that hold members of a group, as
// (group, z) in unit order: working room kept across variables.
using StratumShares = std::vector<std::pair<uint32_t, double>>;

// A group's weighted mean and total weight W.
struct GroupMean {
  double mean = 0.0;
  double weight = 0.0;
};

// For every group, the linearised variance of its weighted mean
//
//   v = sum over strata h of n_h/(n_h - 1) * sum over units i of h of (z_hi - zbar_h)^2,
//   z_hi = sum over the group's members k in unit i of w_k (y_k - mean) / W,
//
// where n_h is the number of units of stratum h, zbar_h their average z, and a
// unit without members of the group has z = 0. A stratum of a single unit adds
// nothing (a certainty unit). Units and strata are those of the usable
// respondents (`missing` 0), all groups together; with a sampling-unit column
// a respondent whose unit code is the missing-unit code forms no unit, as in
// the report without strata: the members of a stratum outside units add their
// z to the stratum's zbar_h, which is then taken over n_h + 1 runs, and add
// no square. Without a unit column every respondent is a unit of its own.
// `values` (with the groups each respondent counts in) and `missing` are per
// layout position; `counts` receives the numbers of strata and units. A
// design of one unit in all has no variance here: its caller takes the
// report's simple-random-sampling error instead, as without strata.
std::vector<double> StratifiedVariances(const RunLayout& layout, const PersonValues& values,
                                        std::span<const uint8_t> missing,
                                        std::span<const GroupMean> groups, DesignCounts& counts,
                                        StratumShares& scratch);

}  // namespace kelvara
