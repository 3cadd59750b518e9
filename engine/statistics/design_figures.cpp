#include "engine/statistics/design_figures.h"

#include <cmath>
#include <limits>

#include "engine/statistics/students_t.h"

namespace kelvara {
namespace {

constexpr double kEmpty = std::numeric_limits<double>::quiet_NaN();

}  // namespace

int32_t DegreesOfFreedom(bool hasStrata, bool hasUnits, const DesignCounts& counts,
                         int32_t usableRows) {
  if (hasStrata) return counts.units - counts.strata;
  if (hasUnits) return counts.units - 1;
  return usableRows - 1;
}

double ConfidenceMultiplier(int32_t degreesOfFreedom) {
  if (degreesOfFreedom < 1) return kEmpty;
  return StudentTQuantile(0.975, degreesOfFreedom);
}

void AddDesignFigures(GroupStatistics& s, double confidenceMultiplier) {
  // A standard error that is not a number (a negative variance under
  // negative weights) leaves every figure built on it empty.
  s.meanLower = s.mean - confidenceMultiplier * s.se;
  s.meanUpper = s.mean + confidenceMultiplier * s.se;
  s.coefficientOfVariation = s.mean != 0 ? 100 * s.se / std::fabs(s.mean) : kEmpty;
  s.designEffect = s.sd != 0 && !std::isnan(s.sd) ? s.se * s.se * s.n / (s.sd * s.sd) : kEmpty;
}

}  // namespace kelvara
