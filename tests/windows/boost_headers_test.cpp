// Boost.Math's headers in the cross build: Student's t quantiles of one and
// two degrees of freedom against their closed forms, tan(pi (p - 1/2)) and
// (2p - 1) / sqrt(2 p (1 - p)).
#include <gtest/gtest.h>

#include <boost/math/distributions/students_t.hpp>
#include <cmath>
#include <numbers>

TEST(BoostHeaders, StudentsTQuantilesOfOneAndTwoDegreesOfFreedom) {
  for (const double p : {0.6, 0.9, 0.95, 0.975, 0.995}) {
    const double one = boost::math::quantile(boost::math::students_t(1.0), p);
    const double two = boost::math::quantile(boost::math::students_t(2.0), p);
    EXPECT_NEAR(one, std::tan(std::numbers::pi * (p - 0.5)), 1e-12 * std::abs(one)) << p;
    EXPECT_NEAR(two, (2 * p - 1) / std::sqrt(2 * p * (1 - p)), 1e-12 * std::abs(two)) << p;
  }
}
