// Who belongs to which report group, at the edges of the age classes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/statistics/age_group_scheme.h"

namespace kelvara {
namespace {

// Positions of the groups a respondent belongs to.
std::vector<int> GroupsOf(SchemeId scheme, int sex, double age, int pregnancy) {
  std::vector<int> groups;
  const auto table = SchemeGroups(scheme);
  for (size_t g = 0; g < table.size(); ++g) {
    if (table[g].Contains(sex, age, pregnancy)) groups.push_back(static_cast<int>(g));
  }
  return groups;
}

using Groups = std::vector<int>;

TEST(Schemes, GroupCounts) {
  EXPECT_EQ(SchemeGroups(SchemeId::table1).size(), 39u);
  EXPECT_EQ(SchemeGroups(SchemeId::table2).size(), 36u);
  EXPECT_EQ(SchemeGroups(SchemeId::part5).size(), 29u);
  EXPECT_EQ(SchemeGroups(SchemeId::category).size(), 33u);
}

TEST(Table1, AgeBoundsBelongToTheUpperClass) {
  EXPECT_EQ(GroupsOf(SchemeId::table1, 1, 7, 0), (Groups{0, 2, 26, 28}));
  EXPECT_EQ(GroupsOf(SchemeId::table1, 1, 69.5, 0), (Groups{0, 8, 10, 11, 26, 34, 36, 37}));
  EXPECT_EQ(GroupsOf(SchemeId::table1, 1, 198.9, 0), (Groups{0, 9, 10, 12, 26, 35, 36, 38}));
  EXPECT_EQ(GroupsOf(SchemeId::table1, 1, 199, 0), (Groups{0, 26})) << "199 is past every class";
}

TEST(Table1, BelowOneOrUnknownSex) {
  EXPECT_EQ(GroupsOf(SchemeId::table1, 1, 0, 0), (Groups{0, 26}));
  EXPECT_EQ(GroupsOf(SchemeId::table1, 2, 0.5, 0), (Groups{13, 26}));
  EXPECT_EQ(GroupsOf(SchemeId::table1, 3, 25, 0), (Groups{26, 30, 36}));
  EXPECT_EQ(GroupsOf(SchemeId::table1, 0, -5, 9), (Groups{26}));
}

TEST(Table1, UnusableWomanAged35) {
  // 女総数, 女30～39, 女(再掲)20以上, 男女総数, 男女30～39, 男女(再掲)20以上
  EXPECT_EQ(GroupsOf(SchemeId::table1, 2, 35, 0), (Groups{13, 18, 23, 26, 31, 36}));
}

TEST(Table2, TotalsSpanOneTo199) {
  EXPECT_EQ(GroupsOf(SchemeId::table2, 1, 0, 0), (Groups{}));
  // A pregnant woman aged 30: 女総数, 女30～49, 女(再掲)20～49 and the same for both sexes.
  EXPECT_EQ(GroupsOf(SchemeId::table2, 2, 30, 1), (Groups{12, 20, 23, 24, 32, 35}));
}

TEST(Part5, PregnantAndLactatingWomenStandApart) {
  // 女妊婦, 女小計, 女全年齢+小計, 男女計
  EXPECT_EQ(GroupsOf(SchemeId::part5, 2, 30, 1), (Groups{23, 25, 27, 28}));
  EXPECT_EQ(GroupsOf(SchemeId::part5, 2, 30, 2), (Groups{24, 25, 27, 28}));
  EXPECT_EQ(GroupsOf(SchemeId::part5, 2, 30, 0), (Groups{20, 26, 27, 28}));
  EXPECT_EQ(GroupsOf(SchemeId::part5, 2, 40, 3), (Groups{27, 28}));
  EXPECT_EQ(GroupsOf(SchemeId::part5, 2, 0, 1), (Groups{23, 25, 28}));
  EXPECT_EQ(GroupsOf(SchemeId::part5, 1, 25, 1), (Groups{7, 11, 28})) << "ignored for men";
  EXPECT_EQ(GroupsOf(SchemeId::part5, 3, 25, 0), (Groups{28}));
}

TEST(Category, ExactNumbersAndClosedTotals) {
  EXPECT_EQ(GroupsOf(SchemeId::category, 1, 10, 0), (Groups{9, 10, 31, 32}));
  EXPECT_EQ(GroupsOf(SchemeId::category, 1, 2.5, 0), (Groups{10, 32}));
  EXPECT_EQ(GroupsOf(SchemeId::category, 2, 1, 2), (Groups{11, 21, 22, 32}));
  EXPECT_EQ(GroupsOf(SchemeId::category, 1, 0, 0), (Groups{}));
  EXPECT_EQ(GroupsOf(SchemeId::category, 1, 11, 0), (Groups{}));
  EXPECT_EQ(GroupsOf(SchemeId::category, 5, 3, 0), (Groups{24, 32}));
}

}  // namespace
}  // namespace kelvara
