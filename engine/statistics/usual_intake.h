// Usual intake: a person's long-run mean daily intake, estimated from one or
// a few days by taking the day-to-day (within-person) variation out.
//
// Per estimation cell (sex x age band):
//  1. Box-Cox transform t = g(y) = (y^lambda - 1) / lambda (log y at 0), with
//     lambda in [0, 1] maximising the weighted profile likelihood of the
//     persons' first days around their band's mean (Box and Cox, J. R. Stat.
//     Soc. B 26, 1964). Values of 0 or less are set to half the smallest
//     positive value of the column.
//  2. Within-person variance s_w^2 pooled around each person's mean, from
//     persons with two days or more; between-person variance s_b^2 by the
//     method of moments of the one-way analysis of variance,
//     var(person means) - s_w^2 * mean(1/k). With a given ratio R:
//     s_b^2 = s_total^2 / (1 + R), s_w^2 = R * s_b^2, s_total^2 being the
//     variance of the first days. When s_b^2 is not positive it is floored at
//     kBetweenFloor * s_total^2.
//  3. Person means shrunk towards the band's weighted mean, the shrinkage
//     estimator of the usual-intake literature (National Research Council,
//     Nutrient Adequacy, 1986; Nusser, Carriquiry, Dodd and Fuller, J. Am.
//     Stat. Assoc. 91, 1996): t* = m + (tbar - m) * sqrt(s_b^2 / (s_b^2 +
//     s_w^2 / k)), which gives the shrunk means the between-person variance.
//  4. Usual intake E[g^-1(t* + e)], e ~ N(0, s_w^2), by Gauss-Hermite
//     quadrature: the mean of daily intake, not the median g^-1(t*).
//
// The block's median interval is Woodruff's (J. Am. Stat. Assoc. 47, 1952),
// and its bootstrap Rao and Wu's rescaling bootstrap (J. Am. Stat. Assoc. 83,
// 1988): see median_interval.h and usual_intake_bootstrap.h.
//
// Small cells: a band with fewer than kMinPersons persons, or (variances
// from the data) fewer than kMinRepeatedPersons persons with two days or
// more, takes lambda and the variances from itself together with the nearest
// bands of its sex, one by one (the younger first at equal distance), until
// the pool is large enough; failing that, from every band of both sexes.
// When even every band together is too small, the cell is not estimated.
// Deviations are always taken around each band's own mean, so pooling bands
// of different levels does not inflate the variances.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace kelvara {

// Lambda and s_total^2 come from the first days of kMinPersons persons at
// least. s_w^2 from r persons with two days has about r degrees of freedom,
// so a relative standard error of sqrt(2 / r): 26 % at 30 (45 % at 10), no
// worse than what the total variance carries from 30 persons; a survey that
// cannot gather that many even over every band is not estimated.
inline constexpr int kMinPersons = 30;
inline constexpr int kMinRepeatedPersons = 30;
inline constexpr double kBetweenFloor = 0.05;
// More day values of 0 or less than this share: the nutrient is not eaten
// daily, which the method assumes (an episodic one needs a model of the
// chance of eating it as well), and the block says so.
inline constexpr double kMostNonPositiveDays = 0.10;

// One analysis variable's persons. Person p's usable day values are
// day[dayStart[p] .. dayStart[p + 1]), first day first. Cells are numbered
// sex * bandCount + band (sex 0 male, 1 female); cellCount() is for persons
// in no band (another sex code, an age outside the bands), who take the
// parameters of all persons; kNoCell leaves a person out (unusable
// classification).
struct PersonIntakes {
  static constexpr int32_t kNoCell = -1;
  std::vector<uint32_t> dayStart{0};
  std::vector<double> day;
  std::vector<double> weight;
  std::vector<int32_t> cell;
  int bandCount = 0;
  // Given ratios per cell (size cellCount() + 1); negative: estimate from the
  // persons with two days or more.
  std::vector<double> givenRatio;

  size_t personCount() const { return weight.size(); }
  int cellCount() const { return 2 * bandCount; }
};

struct CellFit {
  int persons = 0;          // persons of the band with a usable day
  int repeatedPersons = 0;  // of them, with two days or more
  bool pooled = false;      // parameters taken from a pool of bands
  bool given = false;       // ratio given, not estimated
  bool estimated = false;   // lambda and the variances could be estimated
  bool tooFew = false;      // not estimated: even every band together is too small
  bool floored = false;     // s_b^2 was not positive and was floored
  double lambda = 1.0;
  double withinVariance = 0.0;   // s_w^2
  double betweenVariance = 0.0;  // s_b^2
  double totalVariance = 0.0;    // s_total^2, of the first days
};

struct UsualIntakes {
  std::vector<double> usual;        // per person; NaN for a person left out
  std::vector<double> transformed;  // t* per person; NaN likewise
  std::vector<CellFit> cells;       // per cell, the last one for persons in no band
  int days = 0;                     // day values of the persons in cells
  int replacedDays = 0;             // of them, values 0 or less replaced
  int flooredPersons = 0;           // persons of cells whose s_b^2 was floored
  int persons = 0;                  // persons in cells with a usable day
  int repeatedPersons = 0;          // of them, with two days or more
  bool anyPositive = true;          // false: no positive value to transform

  // Whether every cell holding persons was estimated: else the block is refused,
  // as summaries without some bands' persons would mislead.
  bool Complete() const;
  // Whether the day values are too often 0 or less for a daily-intake model.
  bool MostlyEpisodic() const {
    return days > 0 && static_cast<double>(replacedDays) > kMostNonPositiveDays * days;
  }
};

// `weightOverride`, when not empty, replaces PersonIntakes::weight (a
// bootstrap replicate's weights: the whole chain is fitted again); `near`,
// a fit of the same persons (the full sample's), starts lambda's search.
// Persons, days and cells must be consistent (asserted): dayStart rising from
// 0 to day.size(), one weight and cell per person.
UsualIntakes EstimateUsualIntakes(const PersonIntakes& persons,
                                  const std::vector<double>& weightOverride = {},
                                  const UsualIntakes* near = nullptr);

// Box-Cox transform and its inverse (0 where lambda * t + 1 <= 0).
double BoxCox(double y, double lambda);
double InverseBoxCox(double t, double lambda);

// E[g^-1(t + e)], e ~ N(0, variance), by Gauss-Hermite quadrature.
double MeanOfInverse(double t, double lambda, double variance);

}  // namespace kelvara
