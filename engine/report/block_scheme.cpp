#include "engine/report/block_scheme.h"

#include <string_view>

namespace kelvara {
namespace {

const AgeGroup* FindGroup(std::span<const AgeGroup> groups, std::string_view label) {
  for (const AgeGroup& group : groups) {
    if (label == group.label) return &group;
  }
  return nullptr;
}

// The block's labels are the scheme's, one for one and in order.
bool SameLabels(const ReportBlock& block, std::span<const AgeGroup> groups) {
  if (block.groups.size() != groups.size()) return false;
  for (size_t g = 0; g < groups.size(); ++g) {
    if (block.groups[g].label != groups[g].label) return false;
  }
  return true;
}

}  // namespace

std::optional<BlockScheme> MatchScheme(const ReportBlock& block) {
  std::optional<BlockScheme> best;
  size_t bestFound = 0;
  bool bestExact = false;
  for (SchemeId scheme : {SchemeId::table1, SchemeId::table2, SchemeId::part5, SchemeId::category}) {
    const std::span<const AgeGroup> groups = SchemeGroups(scheme);
    BlockScheme candidate{scheme, {}};
    size_t found = 0;
    for (const ReportGroupLine& line : block.groups) {
      const AgeGroup* group = FindGroup(groups, line.label);
      candidate.groups.push_back(group);
      if (group != nullptr) ++found;
    }
    const bool exact = SameLabels(block, groups);
    if (found > bestFound || (found == bestFound && found > 0 && exact && !bestExact)) {
      best = std::move(candidate);
      bestFound = found;
      bestExact = exact;
    }
  }
  return best;
}

}  // namespace kelvara
