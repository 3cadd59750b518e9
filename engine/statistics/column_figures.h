// The figures of one analysis variable's block, group by group.
#pragma once

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

// Standard errors per group that replace the design's linearised ones (those
// of a replicate method): of the mean, and of the share below the cut-off.
struct GroupErrors {
  std::vector<double> mean;
  std::vector<double> shareBelow;
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
// `design` asks for; with `errors` the added figures follow from those
// standard errors instead of the linearised ones. `nutrient`, when the design
// judges, is the variable's nutrient in the run's reference table.
ColumnFigures ComputeColumnFigures(const VariableColumn& column, const RunLayout& layout,
                                   ColumnWorkspace& work, const DesignOptions& design,
                                   const NutrientReference* nutrient = nullptr,
                                   const GroupErrors* errors = nullptr);

// The nutrient of the run's variable `variable` when `design` judges against
// reference values and the variable has one.
const NutrientReference* ColumnNutrient(const RunLayout& layout, const DesignOptions& design,
                                        size_t variable);

}  // namespace kelvara
