// What all variables of one run share: who is in which report group, and the
// respondents laid out in sampling-unit order.
#pragma once

#include <bit>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "engine/statistics/age_group_scheme.h"
#include "engine/design_options.h"
#include "engine/reading/survey_data.h"

namespace kelvara {

struct ReferenceRun;

constexpr int32_t kMissingUnitCode = -999;

// The statistics sum over records in sampling-unit order, so the run lays the
// respondents out in that order once (by unit code, equal codes in file
// order) and every variable walks its arrays front to back. Group membership
// depends only on the sex, age and pregnant/lactating codes, which every
// variable shares, so it is worked out here once too.
struct RunLayout {
  std::span<const AgeGroup> groups;
  bool hasUnitColumn = false;
  // Position i holds file row unitOrder[i].
  std::vector<uint32_t> unitOrder;
  // Distinct sampling-unit codes of the file, ascending (one code, 1, when no
  // sampling-unit column is chosen).
  std::vector<int32_t> unitCodes;
  // Per position: index into unitCodes (never decreasing), the groups the
  // respondent belongs to (bit g for group g), the weight, whether the
  // classification cells are usable, and whether the unit code is -999.
  std::vector<uint32_t> unitRank;
  std::vector<uint64_t> groupMask;
  std::vector<double> weight;
  std::vector<uint8_t> classifiable;
  std::vector<uint8_t> codedMissingUnit;

  // The figures asked for beyond the fixed report.
  DesignOptions design;
  // With reference values: each person's class and each variable's nutrient.
  std::shared_ptr<const ReferenceRun> reference;
  // With a strata column, the stratified variance walks the respondents with
  // the units of each stratum together: strataOrder lists the positions by
  // stratum code, then unit code, then file order, and strataRank gives the
  // stratum of each entry of strataOrder as an index into the distinct codes
  // (never decreasing). Both are empty without a strata column. The other
  // statistics keep the sampling-unit order above, so that a strata column
  // changes no figure but the standard error.
  bool hasStrata = false;
  std::vector<uint32_t> strataOrder;
  std::vector<uint32_t> strataRank;

  size_t size() const { return unitOrder.size(); }
};

// Calls `visit(g)` for every group bit g set in a respondent's group mask.
template <typename Visit>
void ForEachGroup(uint64_t mask, Visit&& visit) {
  for (; mask != 0; mask &= mask - 1) visit(static_cast<size_t>(std::countr_zero(mask)));
}

// Who the age bands of a scheme leave out. A person counts when every
// classification cell of the row is usable (sampling unit, stratum, sex, age,
// pregnant/lactating, weight), whatever the analysis variables hold. Such a
// person is outside the age bands when the age lies in none of the scheme's
// age bands, judged by the age alone; summaries that take every age (男総数
// of table 1, 女妊婦, 男女計 of part 5) may still count them, which is why such
// a total can exceed the sum of its bands; others (an age of 12 under the
// category numbers, whose totals take 1 to 10) count in no group at all. Sex
// and pregnant/lactating codes do not enter the bands: every sex of a scheme
// has the same ones.
struct GroupCoverage {
  size_t persons = 0;          // rows with usable classification cells
  size_t outsideAgeBands = 0;  // of those, aged outside every age band
  size_t outsideEveryGroup = 0;  // of those, in no group of the scheme either
  // Every such person's age is a whole number from 1 to 10: the age column
  // may hold category numbers rather than years.
  bool agesLookLikeCategories = false;
};

// Each row of `data` is a person: for a file of person-days, pass the
// persons' first rows.
GroupCoverage CountGroupCoverage(const SurveyData& data, SchemeId scheme);

RunLayout BuildRunLayout(const SurveyData& data, SchemeId scheme,
                         const DesignOptions& design = {});

}  // namespace kelvara
