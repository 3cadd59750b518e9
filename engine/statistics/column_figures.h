// The figures of one analysis variable's block, group by group.
#pragma once

#include <array>
#include <span>
#include <vector>

#include "engine/reading/survey_data.h"
#include "engine/statistics/design_figures.h"
#include "engine/statistics/group_statistics.h"
#include "engine/statistics/reference_judgement.h"
#include "engine/statistics/run_layout.h"
#include "engine/statistics/stratified_variance.h"
#include "engine/statistics/value_order.h"
#include "engine/statistics/weighted_percentiles.h"

namespace kelvara {

// Working room for the blocks of a run: each worker keeps one across the
// variables it computes, so the respondent-sized arrays are allocated once.
struct ColumnWorkspace {
  std::vector<double> value;
  std::vector<double> indicator;  // value < cut-off, for the share below it
  std::vector<uint64_t> judgedMask;  // the groups a judged person counts in
  std::vector<uint8_t> missing;
  std::vector<ValuedMember> members;
  std::vector<ValuedMember> scratch;
  // Per group, where the percentile walk stood at each percentile.
  std::vector<std::vector<PercentileMark>> percentileMarks;
  StratumShares stratumShares;
};

// The figures a replicate method estimates again in every replicate, per
// group: one replicate's estimates (not a number where the replicate has no
// member of the group, or of a judged share's domain), or, across the
// replicates, their standard errors. A figure the design does not ask for is
// an empty vector.
struct ReplicatedFigures {
  std::vector<double> mean;
  std::vector<double> shareBelow;
  std::vector<std::array<double, kJudgedFigures>> judgedShare;
  std::vector<double> medianShare;  // the share at or below the full sample's median
};

// The figures of one variable's block: per group of the run's scheme, the
// fixed statistics and the added ones the design options ask for, and what
// the block's closing lines tell of the design and the judging.
struct ColumnFigures {
  std::vector<GroupStatistics> groups;
  bool stratified = false;  // the layout has strata
  // With strata: the numbers of strata and units of the usable respondents;
  // without: only `units`, the sampling units of the whole person table.
  DesignCounts counts;
  // t(0.975, df) for the intervals asked for; not a number otherwise, and
  // where the design has fewer than one degree of freedom.
  double confidenceMultiplier = GroupStatistics::kNoFigure;
  // The nutrient judged against, when the block is judged and the variable
  // has one; its usable persons by person class, and those not judged by
  // figure and reason.
  const NutrientReference* nutrient = nullptr;
  std::vector<int64_t> personsOfClass;
  NotJudgedCounts notJudged{};
};

// The figures of `column` (laid out like the layout's rows) for the figures
// `design` asks for. With `errors` (a replicate method's, sized as
// ComputeReplicateFigures sizes them) every standard error is taken from
// there instead of the linearised one, and so are the confidence interval,
// coefficient of variation and design effect formed from the mean's, and the
// median's interval formed from that of the share at or below the median.
// `nutrient`, when the design judges, is the variable's nutrient in the run's
// reference table.
ColumnFigures ComputeColumnFigures(const VariableColumn& column, const RunLayout& layout,
                                   ColumnWorkspace& work, const DesignOptions& design,
                                   const NutrientReference* nutrient = nullptr,
                                   const ReplicatedFigures* errors = nullptr);

// One replicate's estimates of the figures ComputeColumnFigures gives a
// standard error, by the same code: `layout` carries the replicate's weights,
// and `column` leaves out (as not valid) the respondents of units the
// replicate did not draw. `fullMedians`, per group, are the full sample's
// medians, whose share at or below each replicate estimates again (used when
// the design asks for the median's interval).
ReplicatedFigures ComputeReplicateFigures(const VariableColumn& column, const RunLayout& layout,
                                          ColumnWorkspace& work, const DesignOptions& design,
                                          const NutrientReference* nutrient,
                                          std::span<const double> fullMedians);

// The figures of the ratio of weighted totals sum w y / sum w x in each
// group, over the members who have both values (`numerator` y and
// `denominator` x, laid out like the layout's rows): per group the persons
// used and missing, the ratio as the mean, its linearised standard error
// under the design (the standard error of the mean of the linearised
// variable, through the mean's own variance) and, as `design` asks, its
// confidence interval and coefficient of variation. The ratio is not a
// number where the denominators' total is 0.
ColumnFigures ComputeRatioFigures(const VariableColumn& numerator,
                                  const VariableColumn& denominator, const RunLayout& layout,
                                  ColumnWorkspace& work, const DesignOptions& design);

// The nutrient of the run's variable `variable` when `design` judges against
// reference values and the variable has one.
const NutrientReference* ColumnNutrient(const RunLayout& layout, const DesignOptions& design,
                                        size_t variable);

}  // namespace kelvara
