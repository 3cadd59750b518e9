// The age-group schemes of the report: which sex/age groups a block has.
#pragma once

#include <cstdint>
#include <optional>
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

// Where a group stands among the others of its sex. The age bands divide the
// sex into consecutive classes, the same for every sex of a scheme, so they
// can be drawn along one age axis; the summaries (totals, subtotals, groups
// listed again, pregnant and lactating women) overlap the bands and stand
// apart from them.
enum class GroupRole : uint8_t { ageBand, summary };

// One report group: its label (code page 932 bytes, printed as the first
// field of the group's line), its membership rule and its role.
struct AgeGroup {
  const char* label;
  SexCondition sex;
  AgeRange age;
  PregnancyCondition pregnancy;
  GroupRole role = GroupRole::ageBand;

  bool Contains(int32_t sexCode, double age, int32_t pregnancyCode) const;
};

enum class SchemeId : uint8_t { table1, table2, part5, category };

// The scheme's name, as kelvara-tab's --scheme and the settings file write it:
// table1, table2, part5 or category; and the scheme of a name, if any.
std::string_view SchemeName(SchemeId scheme);
std::optional<SchemeId> SchemeNamed(std::string_view name);

std::span<const AgeGroup> SchemeGroups(SchemeId scheme);

// The label's sex word: "男", "女" or "男女" (code page 932 bytes), by the
// group's sex condition.
std::string_view SexWord(SexCondition sex);

// The label without its sex word: the age band or summary as it reads on an
// age axis shared by the sexes ("20～29", "総数", "(再掲)20以上").
std::string_view AgeText(const AgeGroup& group);

}  // namespace kelvara
