// The report texts kept as code page 932 bytes read back as the intended text.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "codec/cp932.h"
#include "engine/statistics/age_group_scheme.h"
#include "engine/report/report_format.h"

namespace kelvara {
namespace {

std::vector<std::string> Labels(SchemeId scheme) {
  std::vector<std::string> labels;
  for (const AgeGroup& group : SchemeGroups(scheme)) labels.push_back(Cp932ToUtf8(group.label));
  return labels;
}

std::vector<std::string> BySex(const std::vector<std::string>& ages) {
  std::vector<std::string> labels;
  for (const char* sex : {"男", "女", "男女"}) {
    for (const std::string& age : ages) labels.push_back(sex + age);
  }
  return labels;
}

TEST(ReportTexts, Table1Labels) {
  EXPECT_EQ(Labels(SchemeId::table1),
            BySex({"総数", "1～6", "7～14", "15～19", "20～29", "30～39", "40～49", "50～59",
                   "60～69", "70以上", "(再掲)20以上", "(再掲)65～74", "(再掲)75以上"}));
}

TEST(ReportTexts, Table2Labels) {
  EXPECT_EQ(Labels(SchemeId::table2),
            BySex({"総数", "1～2", "3～5", "6～8", "9～11", "12～14", "15～17", "18～29",
                   "30～49", "50～69", "70以上", "(再掲)20～49"}));
}

TEST(ReportTexts, Part5Labels) {
  const std::vector<std::string> expected = {
      "男1～2",  "男3～5",   "男6～7",   "男8～9",   "男10～11",      "男12～14",
      "男15～17", "男18～29", "男30～49", "男50～69", "男70以上",       "男全年齢",
      "女1～2",  "女3～5",   "女6～7",   "女8～9",   "女10～11",      "女12～14",
      "女15～17", "女18～29", "女30～49", "女50～69", "女70以上",       "女妊婦",
      "女授乳婦", "女小計",   "女全年齢", "女全年齢+小計", "男女計"};
  EXPECT_EQ(Labels(SchemeId::part5), expected);
}

TEST(ReportTexts, CategoryLabels) {
  EXPECT_EQ(Labels(SchemeId::category),
            BySex({"1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "計"}));
}

TEST(ReportTexts, RangeSignIsTheFullWidthTildeOfTheCodePage) {
  EXPECT_EQ(std::string(SchemeGroups(SchemeId::table1)[1].label), "\x92j1\x81\x60" "6");
}

TEST(ReportTexts, LinesOfABlock) {
  EXPECT_EQ(Cp932ToUtf8(HeaderLine("\x83G\x83l\x83\x8B\x83M\x81[")), "\"【エネルギー】\"");
  EXPECT_EQ(Cp932ToUtf8(ColumnTitleLine()),
            "\"性年齢\",\"人数\",\"欠損値人数\",\"平均\",\"標準偏差\",\"標準誤差\",\"最小値\","
            "\"P1\",\"P5\",\"P10\",\"P25\",\"中央値\",\"P75\",\"P90\",\"P95\",\"P99\",\"最大値\"");
  EXPECT_EQ(Cp932ToUtf8(StrataLine(1)),
            "\"層の数が１、または指定されていないため単純無作為抽出を仮定.\"");
  EXPECT_EQ(Cp932ToUtf8(StrataLine(12)), "\"層の数：12\"");
}

TEST(ReportTexts, DesignTitlesAndStrataLine) {
  DesignOptions design;
  design.confidenceInterval = design.coefficientOfVariation = design.designEffect = true;
  design.shareBelow = 7.5;
  const std::string fixed = Cp932ToUtf8(ColumnTitleLine());
  EXPECT_EQ(Cp932ToUtf8(ColumnTitleLine(design)).substr(fixed.size()),
            ",\"95%信頼区間下限\",\"95%信頼区間上限\",\"変動係数(%)\",\"デザイン効果\","
            "\"7.5未満の割合(%)\",\"7.5未満の割合の標準誤差\"");
  EXPECT_EQ(Cp932ToUtf8(StrataLine(DesignCounts{15, 30, 0})),
            "\"層の数：15、抽出単位の数：30、自由度：15\"");
  EXPECT_EQ(Cp932ToUtf8(StrataLine(DesignCounts{3, 5, 2})),
            "\"層の数：3、抽出単位の数：5、自由度：2、1単位の層：2\"");
}

}  // namespace
}  // namespace kelvara
