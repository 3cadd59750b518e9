#include "engine/statistics/stratified_variance.h"

#include <bit>
#include <cassert>
#include <cstdint>
#include <utility>

namespace kelvara {
namespace {

// Walks the strata one by one, and within a stratum its units; keeps the z
// of every unit that holds members until the stratum closes, when its mean
// over the stratum's n_h units is known.
class StrataWalk {
 public:
  StrataWalk(std::span<const GroupMean> groups, DesignCounts& counts, StratumShares& shares)
      : groups_(groups),
        counts_(counts),
        stratumShares_(shares),
        variance_(groups.size(), 0.0),
        deviation_(groups.size(), 0.0),
        outsideDeviation_(groups.size(), 0.0),
        zMean_(groups.size(), 0.0),
        squares_(groups.size(), 0.0),
        runsWithMembers_(groups.size(), 0),
        unitsWithMembersInStratum_(groups.size(), 0) {
    counts_ = {};
    stratumShares_.clear();
  }

  // A usable respondent of the unit being walked, at position i.
  void Add(const PersonValues& values, size_t i, double w) {
    unitHasRespondent_ = true;
    ForEachGroup(values.groupMask[i], [&](size_t g) {
      if (groups_[g].weight == 0) return;  // no mean to deviate from
      const double x = values(i, g);
      deviation_[g] += w * (x - groups_[g].mean);
      touched_ |= uint64_t{1} << g;
    });
  }

  // A usable respondent who belongs to no unit (unit code -999): a member of
  // its groups' means, and, as in the report without strata, of the run of
  // such respondents whose z counts in its stratum's average z (over the units
  // and that run) but adds no square of its own.
  void AddOutsideUnits(const PersonValues& values, size_t i, double w) {
    stratumHasOutsideRun_ = true;
    ForEachGroup(values.groupMask[i], [&](size_t g) {
      if (groups_[g].weight == 0) return;
      const double x = values(i, g);
      outsideDeviation_[g] += w * (x - groups_[g].mean);
      outsideTouched_ |= uint64_t{1} << g;
    });
  }

  void CloseUnit() {
    if (!unitHasRespondent_) return;
    ++unitsInStratum_;
    ForEachGroup(touched_, [&](size_t g) {
      stratumShares_.emplace_back(static_cast<uint32_t>(g), deviation_[g] / groups_[g].weight);
      deviation_[g] = 0.0;
      ++runsWithMembers_[g];
      ++unitsWithMembersInStratum_[g];
    });
    stratumTouched_ |= touched_;
    touched_ = 0;
    unitHasRespondent_ = false;
  }

  void CloseStratum() {
    CloseUnit();
    if (unitsInStratum_ > 0) {
      ++counts_.strata;
      counts_.units += unitsInStratum_;
      if (unitsInStratum_ == 1) ++counts_.singleUnitStrata;
      ForEachGroup(outsideTouched_, [&](size_t g) { ++runsWithMembers_[g]; });
      if (unitsInStratum_ > 1) AddStratum();
    }
    ForEachGroup(stratumTouched_ | outsideTouched_, [&](size_t g) {
      zMean_[g] = squares_[g] = outsideDeviation_[g] = 0.0;
      unitsWithMembersInStratum_[g] = 0;
    });
    stratumShares_.clear();
    stratumTouched_ = outsideTouched_ = 0;
    stratumHasOutsideRun_ = false;
    unitsInStratum_ = 0;
  }

  // The variances, once every stratum is closed.
  std::vector<double> Finish() {
    for (size_t g = 0; g < groups_.size(); ++g) {
      // All members in one unit (or all outside units): the deviations from
      // the mean add up to 0 exactly; summed in floating point they leave
      // rounding noise that would print as a meaningless standard error like
      // 4e-13.
      if (runsWithMembers_[g] <= 1) variance_[g] = 0.0;
    }
    return std::move(variance_);
  }

 private:
  void AddStratum() {
    const double n = unitsInStratum_;
    const double runs = stratumHasOutsideRun_ ? n + 1 : n;
    for (const auto& [g, z] : stratumShares_) zMean_[g] += z;
    ForEachGroup(outsideTouched_, [&](size_t g) {
      zMean_[g] += outsideDeviation_[g] / groups_[g].weight;
    });
    ForEachGroup(stratumTouched_ | outsideTouched_, [&](size_t g) { zMean_[g] = zMean_[g] / runs; });
    for (const auto& [g, z] : stratumShares_) {
      const double d = z - zMean_[g];
      squares_[g] += d * d;
    }
    ForEachGroup(stratumTouched_ | outsideTouched_, [&](size_t g) {
      // Units of the stratum without members of the group: z = 0.
      const double empty = n - unitsWithMembersInStratum_[g];
      squares_[g] += empty * zMean_[g] * zMean_[g];
      variance_[g] += n / (n - 1) * squares_[g];
    });
  }

  std::span<const GroupMean> groups_;
  DesignCounts& counts_;
  StratumShares& stratumShares_;  // (group, z) of the stratum being walked, in unit order
  std::vector<double> variance_;
  std::vector<double> deviation_;  // t of the unit being walked, per group
  std::vector<double> outsideDeviation_;  // t of the stratum's respondents outside units
  std::vector<double> zMean_;
  std::vector<double> squares_;
  std::vector<int32_t> runsWithMembers_;  // units, and strata's runs outside units
  std::vector<int32_t> unitsWithMembersInStratum_;
  uint64_t touched_ = 0;         // groups with members in the unit being walked
  uint64_t stratumTouched_ = 0;  // groups with members in the stratum being walked
  uint64_t outsideTouched_ = 0;  // groups with members outside units in the stratum
  bool stratumHasOutsideRun_ = false;
  bool unitHasRespondent_ = false;
  int32_t unitsInStratum_ = 0;
};

}  // namespace

std::vector<double> StratifiedVariances(const RunLayout& layout, const PersonValues& values,
                                        std::span<const uint8_t> missing,
                                        std::span<const GroupMean> groups, DesignCounts& counts,
                                        StratumShares& scratch) {
  assert(layout.hasStrata && "a run laid out by strata");
  assert(groups.size() <= 64 && "no more groups than a membership mask holds");
  StrataWalk walk(groups, counts, scratch);
  const std::vector<uint32_t>& order = layout.strataOrder;
  for (size_t j = 0; j < order.size(); ++j) {
    const uint32_t i = order[j];
    if (j > 0) {
      if (layout.strataRank[j] != layout.strataRank[j - 1]) {
        walk.CloseStratum();
      } else if (!layout.hasUnitColumn || layout.unitRank[i] != layout.unitRank[order[j - 1]]) {
        walk.CloseUnit();
      }
    }
    if (missing[i]) continue;
    if (layout.hasUnitColumn && layout.codedMissingUnit[i]) {
      walk.AddOutsideUnits(values, i, layout.weight[i]);
    } else {
      walk.Add(values, i, layout.weight[i]);
    }
  }
  walk.CloseStratum();
  return walk.Finish();
}

}  // namespace kelvara
