// Which age-group scheme a report block was tabulated with, found from the
// labels of its groups.
#pragma once

#include <optional>
#include <vector>

#include "engine/statistics/age_group_scheme.h"
#include "engine/report/report_reading.h"

namespace kelvara {

struct BlockScheme {
  SchemeId scheme;
  // The scheme's group for each group of the block, in the block's order;
  // nullptr for a label that the scheme does not have.
  std::vector<const AgeGroup*> groups;
};

// The scheme that holds the most of the block's labels; among equals, the one
// with exactly the block's labels in its order, else the first in item order.
// Nothing when no scheme holds any of them. Labels such as "男70以上" belong to
// several schemes, so only the whole block tells them apart.
std::optional<BlockScheme> MatchScheme(const ReportBlock& block);

}  // namespace kelvara
