#include "engine/statistics/median_interval.h"

#include <cstdint>

namespace kelvara {
namespace {

// One group's walk over its members in order of value.
struct ShareWalk {
  std::array<double, 2> target{};
  std::array<bool, 2> open{};  // the end is still to be found
  double before = 0.0, after = 0.0, previous = 0.0, current = 0.0;
  bool first = true, any = false;
};

// The last mark no open target lies below. The marks' targets rise, so
// those that fit come first.
const PercentileMark* StartingMark(std::span<const PercentileMark> marks, const ShareWalk& w) {
  const PercentileMark* start = nullptr;
  for (const PercentileMark& mark : marks) {
    for (size_t e = 0; e < 2; ++e) {
      if (w.open[e] && !(mark.target <= w.target[e])) return start;
    }
    start = &mark;
  }
  return start;
}

}  // namespace

void ValuesAtShares(std::span<const ValuedMember> members, std::span<ShareEnds> groups) {
  for (size_t g = 0; g < groups.size() && g < 64; ++g) {
    ShareEnds& ends = groups[g];
    if (ends.memberCount <= 0) continue;
    ShareWalk w;
    const double span = ends.totalWeight / ends.memberCount + ends.totalWeight;
    for (size_t e = 0; e < 2; ++e) {
      const double p = ends.share[e];
      if (!(p >= 0.0 && p <= 1.0)) continue;
      w.target[e] = span * p;
      w.open[e] = true;
    }
    if (!w.open[0] && !w.open[1]) continue;
    // Members before the mark fall short of both targets: the walk resumes
    // there with the sums it would have had.
    size_t i = 0;
    if (const PercentileMark* mark = StartingMark(ends.marks, w)) {
      i = mark->position;
      w.after = mark->before;
      w.current = mark->previous;
      w.first = mark->first;
      w.any = !mark->first;
    }
    const uint64_t bit = uint64_t{1} << g;
    for (; i < members.size() && (w.open[0] || w.open[1]); ++i) {
      const ValuedMember& m = members[i];
      if ((m.groupMask & bit) == 0) continue;
      w.previous = w.current;
      w.before = w.after;
      w.after = w.before + m.weight;
      w.current = m.value;
      w.any = true;
      for (size_t e = 0; e < 2; ++e) {
        if (!w.open[e] || w.target[e] > w.after) continue;
        ends.value[e] = w.first ? w.current
                                : w.previous + (w.target[e] - w.before) / (w.after - w.before) *
                                                   (w.current - w.previous);
        w.open[e] = false;
      }
      w.first = false;
    }
    // Targets beyond the total weight take the largest value.
    for (size_t e = 0; e < 2; ++e) {
      if (w.open[e] && w.any) ends.value[e] = w.current;
    }
  }
}

}  // namespace kelvara
