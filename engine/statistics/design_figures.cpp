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

std::vector<double> DesignFields(const GroupStatistics& s, const DesignOptions& design,
                                 double confidenceMultiplier) {
  // A standard error that is not a number (a negative variance under
  // negative weights) leaves every figure built on it empty.
  std::vector<double> fields;
  if (design.confidenceInterval) {
    fields.push_back(s.mean - confidenceMultiplier * s.se);
    fields.push_back(s.mean + confidenceMultiplier * s.se);
  }
  if (design.coefficientOfVariation) {
    fields.push_back(s.mean != 0 ? 100 * s.se / std::fabs(s.mean) : kEmpty);
  }
  if (design.designEffect) {
    fields.push_back(s.sd != 0 && !std::isnan(s.sd) ? s.se * s.se * s.n / (s.sd * s.sd) : kEmpty);
  }
  if (design.shareBelow) {
    fields.push_back(100 * s.shareBelow);
    fields.push_back(100 * s.shareBelowSe);
  }
  if (design.medianInterval) {
    fields.push_back(s.medianLower);
    fields.push_back(s.medianUpper);
  }
  if (design.reference) {
    for (size_t f = 0; f < s.judgedShare.size(); ++f) {
      fields.push_back(100 * s.judgedShare[f]);
      fields.push_back(100 * s.judgedShareSe[f]);
    }
  }
  return fields;
}

}  // namespace kelvara
