// The age-group schemes of the report: which sex/age groups a block has.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace kelvara {

enum class SexCondition : uint8_t { any, male, female };

enum class PregnancyCondition : uint8_t {
  any,
  neither,              // code 0
  pregnant,             // code 1
  lactating,            // code 2
  pregnantOrLactating,  // code 1 or 2
};

// Ages from `from` up to `to`; `to` itself belongs to the range only when
// `toIncluded` (the category totals 1 to 10, and single category numbers).
struct AgeRange {
  double from;
  double to;
  bool toIncluded;
};

// One report group: its label (code page 932 bytes, printed as the first
// field of the group's line) and its membership rule.
struct AgeGroup {
  const char* label;
  SexCondition sex;
  AgeRange age;
  PregnancyCondition pregnancy;

  bool Contains(int32_t sexCode, double age, int32_t pregnancyCode) const;
};

enum class SchemeId : uint8_t { table1, table2, part5, category };

// The scheme chosen by the item index of the age-group choice: 0 table 1,
// 1 table 2, 2 part 5, 3 or any other value the category numbers.
SchemeId SchemeForItemIndex(int itemIndex);

std::span<const AgeGroup> SchemeGroups(SchemeId scheme);

}  // namespace kelvara
