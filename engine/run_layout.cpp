#include "engine/run_layout.h"

#include <algorithm>
#include <bit>
#include <numeric>

namespace kelvara {
namespace {

constexpr size_t kMaxGroups = 64;  // one bit per group in a row's mask

void OrderBySamplingUnit(const SurveyData& data, RunLayout& layout) {
  const size_t rows = data.rowCount;
  layout.unitOrder.resize(rows);
  std::iota(layout.unitOrder.begin(), layout.unitOrder.end(), 0u);
  layout.unitRank.assign(rows, 0);
  if (!data.hasUnitColumn) {
    layout.unitCodes = {1};
    return;
  }
  std::stable_sort(layout.unitOrder.begin(), layout.unitOrder.end(),
                   [&](uint32_t a, uint32_t b) { return data.unitCode[a] < data.unitCode[b]; });
  for (uint32_t row : layout.unitOrder) {
    const int32_t code = data.unitCode[row];
    if (layout.unitCodes.empty() || layout.unitCodes.back() != code) {
      layout.unitCodes.push_back(code);
    }
    layout.unitRank[row] = static_cast<uint32_t>(layout.unitCodes.size() - 1);
  }
}

}  // namespace

RunLayout BuildRunLayout(const SurveyData& data, SchemeId scheme) {
  RunLayout layout;
  layout.groups = SchemeGroups(scheme);
  static_assert(kMaxGroups == 8 * sizeof(uint64_t));
  const size_t groupCount = std::min(layout.groups.size(), kMaxGroups);

  OrderBySamplingUnit(data, layout);

  layout.groupMask.assign(data.rowCount, 0);
  for (size_t row = 0; row < data.rowCount; ++row) {
    uint64_t mask = 0;
    for (size_t g = 0; g < groupCount; ++g) {
      if (layout.groups[g].Contains(data.sex[row], data.age[row], data.pregnancy[row])) {
        mask |= uint64_t{1} << g;
      }
    }
    layout.groupMask[row] = mask;
  }

  layout.membersByUnit.assign(groupCount, {});
  for (uint32_t row : layout.unitOrder) {
    for (uint64_t mask = layout.groupMask[row]; mask != 0; mask &= mask - 1) {
      layout.membersByUnit[static_cast<size_t>(std::countr_zero(mask))].push_back(row);
    }
  }
  return layout;
}

}  // namespace kelvara
