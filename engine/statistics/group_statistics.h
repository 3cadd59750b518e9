// The statistics of one report line: one sex/age group of one variable.
#pragma once

#include <array>
#include <cstdint>
#include <limits>
#include <optional>

namespace kelvara {

struct GroupStatistics {
  static constexpr double kNoFigure = std::numeric_limits<double>::quiet_NaN();

  int32_t n = 0;         // members used (not missing)
  int32_t nMissing = 0;  // members with a missing cell
  int32_t nUnits = 0;   // sampling units in the whole person table
  double mean = 0.0;     // weighted mean
  double variance = 0.0; // weighted variance (not printed)
  double sd = 0.0;       // weighted standard deviation
  double se = 0.0;       // standard error of the mean under the sampling design
  // From the standard error: the mean's 95% confidence limits, mean -/+ t *
  // SE; the coefficient of variation, 100 * SE / |mean| (percent); the design
  // effect, SE^2 * n / SD^2. Not a number where they cannot be formed.
  double meanLower = kNoFigure;
  double meanUpper = kNoFigure;
  double coefficientOfVariation = kNoFigure;
  double designEffect = kNoFigure;
  // With a cut-off: the weighted share (a fraction) of members whose value
  // lies below it, and its standard error under the same design.
  double shareBelow = 0.0;
  double shareBelowSe = 0.0;
  // The median's 95% confidence limits (Woodruff); not a number where an
  // end falls outside 0-1.
  double medianLower = std::numeric_limits<double>::quiet_NaN();
  double medianUpper = std::numeric_limits<double>::quiet_NaN();
  // Judged against reference values: the members who have the EAR, AI, UL
  // and DG (none where the table gives the figure no value at all); the
  // shares (fractions) below the EAR, at or above the AI, above the UL and
  // outside the DG among them, and their SEs; not a number when fewer than
  // two have it.
  std::array<std::optional<int32_t>, 4> judgedPersons{};
  std::array<double, 4> judgedShare{kNoFigure, kNoFigure, kNoFigure, kNoFigure};
  std::array<double, 4> judgedShareSe{kNoFigure, kNoFigure, kNoFigure, kNoFigure};
  // Weighted percentiles by percent; [0] is the minimum, [100] the maximum.
  // Only meaningful when n > 0.
  std::array<double, 101> pct{};
};

}  // namespace kelvara
