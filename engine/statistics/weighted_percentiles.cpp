#include "engine/statistics/weighted_percentiles.h"

#include <cassert>
#include <cstddef>

namespace kelvara {

WeightedPercentiles::WeightedPercentiles(double totalWeight, double memberCount)
    : span_(totalWeight / memberCount + totalWeight), risingTargets_(span_ >= 0.0) {
  nextTarget_ = Target(0);
}

void WeightedPercentiles::Finish(std::array<double, 101>& pct) {
  // A group without members has no percentiles; the caller leaves them out.
  assert((risingTargets_ ? !first_ : !kept_.empty()) && "a group with members");
  if (risingTargets_) {
    // Targets beyond the total weight take the largest value.
    for (; next_ <= 100; ++next_) pct_[static_cast<std::size_t>(next_)] = current_;
    pct = pct_;
    return;
  }
  for (int p = 0; p <= 100; ++p) {
    const double target = Target(p);
    double before = 0.0, after = 0.0;
    std::size_t m = 0;
    for (; m < kept_.size(); ++m) {
      before = after;
      after = before + kept_[m].second;
      if (!(target > after)) break;
    }
    double& out = pct[static_cast<std::size_t>(p)];
    if (m == kept_.size()) {
      out = kept_.back().first;
    } else if (m == 0) {
      out = kept_[0].first;
    } else {
      const double low = kept_[m - 1].first;
      out = low + (target - before) / (after - before) * (kept_[m].first - low);
    }
  }
}

}  // namespace kelvara
