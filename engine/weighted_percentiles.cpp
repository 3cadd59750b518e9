#include "engine/weighted_percentiles.h"

namespace kelvara {
namespace {

// Walks members from `m` (with cumulative weights before and after it) while
// the target lies beyond them, and returns the percentile where it stops.
struct Walk {
  std::span<const uint32_t> rows;
  const double* value;
  const double* weight;
  size_t m = 0;
  double before = 0.0;  // cumulative weight before member m
  double after = 0.0;   // cumulative weight including member m

  void Reset() {
    m = 0;
    before = 0.0;
    after = before + weight[rows[0]];
  }

  double PercentileAt(double target) {
    while (m < rows.size() && target > after) {
      ++m;
      before = after;
      if (m < rows.size()) after = before + weight[rows[m]];
    }
    if (m == rows.size()) return value[rows.back()];  // beyond the total weight
    if (m == 0) return value[rows[0]];
    const double low = value[rows[m - 1]];
    const double high = value[rows[m]];
    return low + (target - before) / (after - before) * (high - low);
  }
};

}  // namespace

void WeightedPercentiles(std::span<const uint32_t> rows, const double* value,
                         const double* weight, double totalWeight, double memberCount,
                         std::array<double, 101>& pct) {
  Walk walk{rows, value, weight};
  walk.Reset();
  const double span = totalWeight / memberCount + totalWeight;
  // Targets rise with p when the span is not negative, so one walk serves all
  // percentiles; with negative weights (or a span that is not a number) every
  // percentile walks from the first member.
  const bool risingTargets = span >= 0.0;
  for (int p = 0; p <= 100; ++p) {
    if (!risingTargets) walk.Reset();
    const double target = span * p * 0.01;
    pct[static_cast<size_t>(p)] = walk.PercentileAt(target);
  }
}

}  // namespace kelvara
