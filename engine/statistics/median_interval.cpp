#include "engine/statistics/median_interval.h"

#include <vector>

#include "engine/statistics/run_layout.h"

namespace kelvara {
namespace {

// One group's walk over its members in order of value.
struct ShareWalk {
  std::array<double, 2> target{};
  std::array<bool, 2> open{};  // the end is still to be found
  double before = 0.0, after = 0.0, previous = 0.0, current = 0.0;
  bool first = true, any = false;
};

}  // namespace

void ValuesAtShares(std::span<const ValuedMember> members, std::span<ShareEnds> groups) {
  std::vector<ShareWalk> walks(groups.size());
  uint64_t pending = 0;  // groups with an end still open
  for (size_t g = 0; g < groups.size() && g < 64; ++g) {
    const ShareEnds& ends = groups[g];
    if (ends.memberCount <= 0) continue;
    const double span = ends.totalWeight / ends.memberCount + ends.totalWeight;
    for (size_t e = 0; e < 2; ++e) {
      const double p = ends.share[e];
      if (!(p >= 0.0 && p <= 1.0)) continue;
      walks[g].target[e] = span * p;
      walks[g].open[e] = true;
      pending |= uint64_t{1} << g;
    }
  }
  for (const ValuedMember& m : members) {
    if ((m.groupMask & pending) == 0) continue;
    ForEachGroup(m.groupMask & pending, [&](size_t g) {
      ShareWalk& w = walks[g];
      w.previous = w.current;
      w.before = w.after;
      w.after = w.before + m.weight;
      w.current = m.value;
      w.any = true;
      for (size_t e = 0; e < 2; ++e) {
        if (!w.open[e] || w.target[e] > w.after) continue;
        groups[g].value[e] =
            w.first ? w.current
                    : w.previous + (w.target[e] - w.before) / (w.after - w.before) *
                                       (w.current - w.previous);
        w.open[e] = false;
      }
      w.first = false;
      if (!w.open[0] && !w.open[1]) pending &= ~(uint64_t{1} << g);
    });
  }
  // Targets beyond the total weight take the largest value.
  for (size_t g = 0; g < groups.size() && g < 64; ++g) {
    for (size_t e = 0; e < 2; ++e) {
      if (walks[g].open[e] && walks[g].any) groups[g].value[e] = walks[g].current;
    }
  }
}

}  // namespace kelvara
