// The statistics of one report line: one sex/age group of one variable.
#pragma once

#include <array>
#include <cstdint>

namespace kelvara {

struct GroupStatistics {
  int32_t n = 0;         // members used (not missing)
  int32_t nMissing = 0;  // members with a missing cell
  int32_t nUnits = 0;   // sampling units in the whole person table
  double mean = 0.0;     // weighted mean
  double variance = 0.0; // weighted variance (not printed)
  double sd = 0.0;       // weighted standard deviation
  double se = 0.0;       // standard error of the mean under the sampling design
  // With a cut-off: the weighted share (a fraction) of members whose value
  // lies below it, and its standard error under the same design.
  double shareBelow = 0.0;
  double shareBelowSe = 0.0;
  // Weighted percentiles by percent; [0] is the minimum, [100] the maximum.
  // Only meaningful when n > 0.
  std::array<double, 101> pct{};
};

}  // namespace kelvara
