// Ordering a variable's usable respondents by value.
#pragma once

#include <cstdint>
#include <vector>

namespace kelvara {

// A usable respondent as the percentile walk needs it: value, weight and the
// groups it belongs to, kept together so the walk reads memory in order.
struct ValuedMember {
  uint64_t key;  // the value, mapped so that unsigned order is numeric order
  double weight;
  uint64_t groupMask;

  double value() const;
};

uint64_t OrderKey(double value);

// Sorts members by ascending value; members of equal value keep their order
// (a stable radix sort on the keys). Uses `scratch` as working room.
void SortByValue(std::vector<ValuedMember>& members, std::vector<ValuedMember>& scratch);

}  // namespace kelvara
