// The report block of one analysis variable.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "engine/statistics/run_layout.h"
#include "engine/statistics/stratified_variance.h"
#include "engine/reading/survey_data.h"
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

// The lines of one variable's block: header, column titles, one line per
// group of the run's scheme, the strata line and an empty line. The added
// figures are those of `design`, or of the run when it is null.
std::vector<std::string> TabulateColumn(const SurveyData& data, const RunLayout& layout,
                                        size_t variable, ColumnWorkspace& work,
                                        const DesignOptions* design = nullptr);

// Standard errors per group that replace the design's linearised ones (those
// of a replicate method): of the mean, and of the share below the cut-off.
struct GroupErrors {
  std::vector<double> mean;
  std::vector<double> shareBelow;
};

// The same for a column of values laid out like the layout's rows (such as
// the persons' usual intakes), headed by the column's name; with `errors`
// the added columns follow from those standard errors. The added figures are
// those of `design`, or of the run when it is null; `variable`, the run's
// variable the column stands for, finds its nutrient in a reference table.
std::vector<std::string> TabulateColumn(const VariableColumn& column, const RunLayout& layout,
                                        ColumnWorkspace& work,
                                        const GroupErrors* errors = nullptr,
                                        const DesignOptions* design = nullptr,
                                        std::optional<size_t> variable = std::nullopt);

}  // namespace kelvara
