#include "engine/statistics/students_t.h"

#include <boost/math/distributions/students_t.hpp>
#include <cassert>

namespace kelvara {

double StudentTQuantile(double probability, double degreesOfFreedom) {
  assert(probability > 0 && probability < 1 && "a probability strictly between 0 and 1");
  assert(degreesOfFreedom > 0 && "at least some degrees of freedom");
  const boost::math::students_t distribution(degreesOfFreedom);
  return boost::math::quantile(distribution, probability);
}

}  // namespace kelvara
