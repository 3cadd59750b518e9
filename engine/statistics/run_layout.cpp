#include "engine/statistics/run_layout.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <numeric>

namespace kelvara {
namespace {

[[maybe_unused]] constexpr size_t kMaxGroups = 64;  // one bit per group in a respondent's mask

template <typename T>
std::vector<T> InUnitOrder(const std::vector<T>& byRow, const std::vector<uint32_t>& order) {
  std::vector<T> result(order.size());
  for (size_t i = 0; i < order.size(); ++i) result[i] = byRow[order[i]];
  return result;
}

// Orders the positions by stratum, keeping the sampling-unit order within a
// stratum, so that each stratum's units stand together.
void LayOutStrata(const SurveyData& data, RunLayout& layout) {
  layout.hasStrata = true;
  auto stratumAt = [&](uint32_t position) { return data.stratumCode[layout.unitOrder[position]]; };
  layout.strataOrder.resize(layout.size());
  std::iota(layout.strataOrder.begin(), layout.strataOrder.end(), 0u);
  std::stable_sort(layout.strataOrder.begin(), layout.strataOrder.end(),
                   [&](uint32_t a, uint32_t b) { return stratumAt(a) < stratumAt(b); });
  layout.strataRank.resize(layout.size());
  uint32_t rank = 0;
  for (size_t j = 0; j < layout.size(); ++j) {
    if (j > 0 && stratumAt(layout.strataOrder[j]) != stratumAt(layout.strataOrder[j - 1])) ++rank;
    layout.strataRank[j] = rank;
  }
}

}  // namespace

GroupCoverage CountGroupCoverage(const SurveyData& data, SchemeId scheme) {
  const std::span<const AgeGroup> groups = SchemeGroups(scheme);
  std::vector<AgeRange> bands;
  for (const AgeGroup& group : groups) {
    if (group.role == GroupRole::ageBand) bands.push_back(group.age);
  }
  const auto inBand = [&](double age) {
    return std::any_of(bands.begin(), bands.end(), [age](const AgeRange& band) {
      return band.from <= age && (band.toIncluded ? age <= band.to : age < band.to);
    });
  };
  GroupCoverage coverage;
  bool categoryLike = true;
  for (size_t row = 0; row < data.rowCount; ++row) {
    if (!data.classifiable[row]) continue;
    ++coverage.persons;
    const double age = data.age[row];
    if (!inBand(age)) {
      ++coverage.outsideAgeBands;
      const bool inSomeGroup = std::any_of(groups.begin(), groups.end(), [&](const AgeGroup& group) {
        return group.Contains(data.sex[row], age, data.pregnancy[row]);
      });
      if (!inSomeGroup) ++coverage.outsideEveryGroup;
    }
    categoryLike = categoryLike && age >= 1 && age <= 10 && age == std::floor(age);
  }
  coverage.agesLookLikeCategories = coverage.persons > 0 && categoryLike;
  return coverage;
}

RunLayout BuildRunLayout(const SurveyData& data, SchemeId scheme, const DesignOptions& design) {
  RunLayout layout;
  layout.design = design;
  layout.groups = SchemeGroups(scheme);
  layout.hasUnitColumn = data.hasUnitColumn;
  const size_t rows = data.rowCount;

  layout.unitOrder.resize(rows);
  std::iota(layout.unitOrder.begin(), layout.unitOrder.end(), 0u);
  layout.unitRank.assign(rows, 0);
  layout.codedMissingUnit.assign(rows, 0);
  if (data.hasUnitColumn) {
    std::stable_sort(layout.unitOrder.begin(), layout.unitOrder.end(),
                     [&](uint32_t a, uint32_t b) { return data.unitCode[a] < data.unitCode[b]; });
    for (size_t i = 0; i < rows; ++i) {
      const int32_t code = data.unitCode[layout.unitOrder[i]];
      if (layout.unitCodes.empty() || layout.unitCodes.back() != code) {
        layout.unitCodes.push_back(code);
      }
      layout.unitRank[i] = static_cast<uint32_t>(layout.unitCodes.size() - 1);
      layout.codedMissingUnit[i] = code == kMissingUnitCode ? 1 : 0;
    }
  } else {
    layout.unitCodes = {1};
  }

  // Every scheme has fewer groups than a mask holds bits; a scheme with more
  // would lose groups without a word.
  assert(layout.groups.size() <= kMaxGroups && "no more groups than a membership mask holds");
  const size_t groupCount = layout.groups.size();
  layout.groupMask.resize(rows);
  for (size_t i = 0; i < rows; ++i) {
    const uint32_t row = layout.unitOrder[i];
    uint64_t mask = 0;
    for (size_t g = 0; g < groupCount; ++g) {
      if (layout.groups[g].Contains(data.sex[row], data.age[row], data.pregnancy[row])) {
        mask |= uint64_t{1} << g;
      }
    }
    layout.groupMask[i] = mask;
  }
  layout.weight = InUnitOrder(data.weight, layout.unitOrder);
  layout.classifiable = InUnitOrder(data.classifiable, layout.unitOrder);
  if (data.hasStrataColumn) LayOutStrata(data, layout);
  return layout;
}

}  // namespace kelvara
