// The values a group's figures are formed of, per layout position.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace kelvara {

// The persons' values and the groups each counts in; or, for the share at or
// below a cut-off of each group's own (the median, for its confidence
// interval), 1 where the value is at or below the group's cut-off and 0
// where above.
struct PersonValues {
  std::span<const double> value;
  std::span<const uint64_t> groupMask;
  std::span<const double> atOrBelow;  // per group; empty: the values themselves

  double operator()(size_t i, size_t g) const {
    if (atOrBelow.empty()) return value[i];
    return value[i] <= atOrBelow[g] ? 1.0 : 0.0;
  }
};

}  // namespace kelvara
