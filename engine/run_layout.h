// What all variables of one run share: who is in which report group, and the
// order of the respondents by sampling unit.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "engine/age_group_scheme.h"
#include "engine/survey_data.h"

namespace kelvara {

constexpr int32_t kMissingUnitCode = -999;

// Group membership depends only on the sex, age and pregnant/lactating codes,
// which every variable shares, so it is worked out once per run.
struct RunLayout {
  std::span<const AgeGroup> groups;
  // Rows ordered by sampling-unit code, rows with equal codes in file order.
  std::vector<uint32_t> unitOrder;
  // Distinct sampling-unit codes of the file, ascending (one code, 1, when no
  // sampling-unit column is chosen), and each row's index into them.
  std::vector<int32_t> unitCodes;
  std::vector<uint32_t> unitRank;
  // Per row, bit g is set when the row belongs to group g.
  std::vector<uint64_t> groupMask;
  // Per group, its member rows in unitOrder.
  std::vector<std::vector<uint32_t>> membersByUnit;
};

RunLayout BuildRunLayout(const SurveyData& data, SchemeId scheme);

}  // namespace kelvara
