// Quantiles of Student's t distribution, for confidence intervals.
#pragma once

namespace kelvara {

// The value below which the t distribution with `degreesOfFreedom` degrees
// of freedom lies with probability `probability` (0 < probability < 1,
// degreesOfFreedom > 0).
double StudentTQuantile(double probability, double degreesOfFreedom);

}  // namespace kelvara
