// Ordering a variable's usable respondents by value.
#pragma once

#include <cstdint>
#include <vector>

namespace kelvara {

// A usable respondent as the percentile walk needs it: value, weight and the
// groups it belongs to, kept together so the walk reads memory in order.
struct ValuedMember {
  double value;  // as read from the cell, negative zero included
  double weight;
  uint64_t groupMask;
};

// The value mapped so that unsigned order is numeric order. Negative and
// positive zero map to the same key: they are equal values and tie.
uint64_t OrderKey(double value);

// Sorts members by ascending value; members of equal value keep their order
// (a stable radix sort on the keys). Uses `scratch` as working room.
void SortByValue(std::vector<ValuedMember>& members, std::vector<ValuedMember>& scratch);

}  // namespace kelvara
