// The report block of one analysis variable.
#pragma once

#include <string>
#include <vector>

#include "engine/statistics/run_layout.h"
#include "engine/statistics/stratified_variance.h"
#include "engine/reading/survey_data.h"
#include "engine/statistics/value_order.h"

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
  StratumShares stratumShares;
};

// The lines of one variable's block: header, column titles, one line per
// group of the run's scheme, the strata line and an empty line.
std::vector<std::string> TabulateColumn(const SurveyData& data, const RunLayout& layout,
                                        size_t variable, ColumnWorkspace& work);

}  // namespace kelvara
