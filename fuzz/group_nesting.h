// How the groups of each age-group scheme nest: the sums a report must obey.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace kelvara::fuzz {

// The two counts of a group line: members used and members missing.
struct GroupCount {
  long long n = 0;
  long long nMissing = 0;
};

// Number of group lines of the scheme chosen by `schemeItemIndex` (0 table 1,
// 1 table 2, 2 part 5, any other value the category numbers).
size_t SchemeGroupCount(int schemeItemIndex);

// The group that takes every record whatever its codes, or -1 when the scheme
// has none ("男女総数" of table 1, "男女計" of part 5).
int EveryoneGroup(int schemeItemIndex);

// Checks one block's counts against the nesting of the scheme's groups: a
// total holds at least the members of its disjoint sub-groups, exactly their
// sum where the sub-groups cover it. Both counts obey this separately, since
// whether a record is missing does not depend on the group. Returns an empty
// string when all hold.
std::string CheckGroupNesting(int schemeItemIndex, const std::vector<GroupCount>& counts);

}  // namespace kelvara::fuzz
