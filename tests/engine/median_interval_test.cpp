// The ends of the median's interval, found by walks that resume at the
// percentile walk's marks, against the percentile rule applied to each
// group's members from the smallest.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "engine/statistics/median_interval.h"
#include "engine/statistics/weighted_percentiles.h"

namespace kelvara::testing {
namespace {

constexpr size_t kGroups = 3;

// The value at share p of group g by the rule, over the group's members alone.
double ValueAtShare(const std::vector<ValuedMember>& members, size_t g, double totalWeight,
                    double memberCount, double p) {
  const double target = (totalWeight / memberCount + totalWeight) * p;
  double before = 0.0, after = 0.0, previous = 0.0, current = 0.0;
  bool first = true;
  for (const ValuedMember& m : members) {
    if (!((m.groupMask >> g) & 1)) continue;
    previous = current;
    before = after;
    after = before + m.weight;
    current = m.value;
    if (!(target > after)) {
      if (first) return current;
      return previous + (target - before) / (after - before) * (current - previous);
    }
    first = false;
  }
  return current;
}

bool Same(double a, double b) { return (std::isnan(a) && std::isnan(b)) || a == b; }

// Ties, zero and negative weights, members of no group, and shares at 0, 1,
// outside 0-1 and exactly at a percentile's target, where a resumed walk
// would go wrong first.
TEST(MedianIntervalTest, ResumedWalksMeetThePercentileRule) {
  std::mt19937 random(20240601);
  for (int trial = 0; trial < 400; ++trial) {
    const bool negative = trial % 5 == 4;
    std::uniform_int_distribution<int> size(1, 300);
    std::vector<ValuedMember> members(static_cast<size_t>(size(random)));
    std::uniform_int_distribution<int> tie(0, 9);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    for (ValuedMember& m : members) {
      m.value = trial % 2 == 0 ? tie(random) * 1.5 : unit(random) * 100;
      m.weight = unit(random) < 0.1 ? 0.0 : (negative ? unit(random) * 3 - 1 : unit(random) * 3);
      m.groupMask = static_cast<uint64_t>(random() % 8);
    }
    std::vector<ValuedMember> scratch;
    SortByValue(members, scratch);

    std::vector<double> weight(kGroups, 0.0), count(kGroups, 0.0);
    for (const ValuedMember& m : members) {
      for (size_t g = 0; g < kGroups; ++g) {
        if (!((m.groupMask >> g) & 1)) continue;
        weight[g] += m.weight;
        count[g] += 1;
      }
    }
    std::vector<WeightedPercentiles> walks;
    for (size_t g = 0; g < kGroups; ++g) walks.emplace_back(weight[g], count[g]);
    for (size_t i = 0; i < members.size(); ++i) {
      for (size_t g = 0; g < kGroups; ++g) {
        if ((members[i].groupMask >> g) & 1) walks[g].Add(members[i].value, members[i].weight, i);
      }
    }
    std::vector<std::vector<PercentileMark>> marks(kGroups);
    std::vector<ShareEnds> ends(kGroups);
    for (size_t g = 0; g < kGroups; ++g) {
      marks[g].assign(walks[g].marks().begin(), walks[g].marks().end());
      ends[g].totalWeight = weight[g];
      ends[g].memberCount = count[g];
      ends[g].marks = marks[g];
      const double span = weight[g] / count[g] + weight[g];
      const double atMark = marks[g].empty() || span == 0
                                ? 0.5
                                : marks[g][random() % marks[g].size()].target / span;
      const double shares[] = {unit(random) * 1.2 - 0.1, atMark, 0.0, 1.0};
      ends[g].share = {shares[random() % 4], shares[random() % 4]};
    }
    ValuesAtShares(members, ends);
    for (size_t g = 0; g < kGroups; ++g) {
      for (size_t e = 0; e < 2; ++e) {
        const double p = ends[g].share[e];
        const double expected = count[g] > 0 && p >= 0.0 && p <= 1.0
                                    ? ValueAtShare(members, g, weight[g], count[g], p)
                                    : GroupStatistics::kNoFigure;
        EXPECT_TRUE(Same(ends[g].value[e], expected))
            << "trial " << trial << " group " << g << " share " << p << ": "
            << ends[g].value[e] << " for " << expected;
      }
    }
  }
}

}  // namespace
}  // namespace kelvara::testing
