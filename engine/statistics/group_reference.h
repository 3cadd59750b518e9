// The reference values of a report group of one sex and age range, for
// marking beside its intake: the values of a woman or man who is neither
// pregnant nor lactating, where every age of the group shares them.
#pragma once

#include <cstdint>
#include <optional>

#include "engine/statistics/age_group_scheme.h"
#include "engine/statistics/reference_judgement.h"

namespace kelvara {

struct GroupReference {
  std::optional<double> ear;
  std::optional<double> ul;       // only a UL for total intake, as judged
  std::optional<double> dgLow;    // DG "X以上"
  std::optional<double> dgHigh;   // DG "X未満" or "X以下"
  // Why a figure the table gives has no value here: the group's ages fall
  // in bands with different values (or in part outside the table), or the
  // value waits for the menstruation choice.
  bool differsWithinGroup = false;
  bool menstruationNotChosen = false;

  bool any() const { return ear || ul || dgLow || dgHigh; }
};

// The values shared by every whole year of age of `ages` for persons of
// `sex` (1 male, 2 female). Ages under one year are never judged and are
// passed over.
GroupReference GeneralReferenceOfGroup(const NutrientReference& nutrient, int32_t sex,
                                       const AgeRange& ages);

}  // namespace kelvara
