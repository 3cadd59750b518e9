// The age-group choice of the settings tab: its radio items in order.
#pragma once

#include "engine/statistics/age_group_scheme.h"

// The scheme of the choice's item index: 0 table 1, 1 table 2, 2 part 5, 3 or
// any other value the category numbers (also how older settings files stored
// the choice).
inline kelvara::SchemeId SchemeForItemIndex(int itemIndex) {
  switch (itemIndex) {
    case 0: return kelvara::SchemeId::table1;
    case 1: return kelvara::SchemeId::table2;
    case 2: return kelvara::SchemeId::part5;
    default: return kelvara::SchemeId::category;
  }
}
