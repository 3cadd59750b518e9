// The straightforward tabulation, kept as the reference the fast engine is
// checked against: every variable re-reads the file and builds its own person
// table, every group sorts the whole table twice and walks it.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/statistics/design_figures.h"
#include "engine/design_options.h"
#include "engine/statistics/age_group_scheme.h"
#include "engine/statistics/group_statistics.h"

namespace kelvara::reference {

// One respondent (one data row) as seen by the run of one analysis variable.
struct SurveyRecord {
  double inGroup;     // 1.0 for a member of the group being computed, else 0.0
  int32_t stratum;    // sampling-unit code; -999 for an unusable row
  int32_t sex;
  double age;
  int32_t pregnancy;
  double value;
  double weight;
  uint8_t missing;    // 1 when a required cell fails IsValidCell
  int32_t designStratum;  // leading integer of the stratum cell (0 without one)
  int32_t row;            // data row, 0-based: the unit when each row is one
};

// The working record of one variable's run and the current group's results.
struct VariableSummary {
  std::string name;
  std::vector<SurveyRecord> records;
  int32_t count = 0;
  int32_t n = 0;
  int32_t nMissing = 0;
  int32_t nUnits = 0;
  double mean = 0.0;
  double variance = 0.0;
  double sd = 0.0;
  double se = 0.0;
  std::array<double, 101> pct{};
};

void AllocateRecords(VariableSummary& summary, int32_t count);
void ReleaseRecords(VariableSummary& summary);

// Three-way comparators for the in-place comparison sort.
int CompareByStratum(const void* a, const void* b);
int CompareByGroupThenValue(const void* a, const void* b);

// Statistics of the group whose members carry inGroup 1.0; reorders records.
void ComputeGroupStatistics(VariableSummary& summary);

GroupStatistics StatisticsOf(const VariableSummary& summary);

// The strata and sampling units of the usable records: a unit is a stratum
// code with a unit code (the row itself without a sampling-unit column);
// records whose unit code is -999 form none.
DesignCounts CountDesign(const VariableSummary& summary, bool hasUnitColumn);

// The stratified with-replacement variance of the current group's mean,
// v = sum_h n_h/(n_h - 1) sum_i (z_hi - zbar_h)^2, straight from its
// definition over the units of CountDesign. Call after ComputeGroupStatistics.
double StratifiedVariance(const VariableSummary& summary, bool hasUnitColumn);

// The block of one variable, read afresh from the file; empty when the file
// cannot be opened or holds no header row.
std::vector<std::string> TabulateVariable(const std::filesystem::path& fileName, int unitColumn,
                                          int sexColumn, int ageColumn, int pregnancyColumn,
                                          int variableColumn, int weightColumn,
                                          SchemeId scheme,
                                          const DesignOptions& design = {});

}  // namespace kelvara::reference
