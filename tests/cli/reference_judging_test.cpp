// Intake judged against reference values through kelvara-tab, on a small
// made-up table whose values are easy to check by hand.
#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "codec/cp932.h"
#include "tests/support/judged_shares.h"
#include "tests/support/program_run.h"
#include "tests/support/report_fields.h"
#include "tests/support/temp_dir.h"

namespace {

using kelvara::testing::JudgedPerson;
using kelvara::testing::JudgeOnePerson;
using kelvara::testing::ReportFields;
using kelvara::testing::TempDir;
using Shares = std::array<std::optional<double>, 4>;

const std::string kData = KELVARA_CLI_DATA;
const std::string kTable = kData + "/reference_small.csv";
const std::string kExample = KELVARA_EXAMPLE_SURVEY;
constexpr std::optional<double> kNone;

struct Case {
  JudgedPerson person;
  std::vector<std::string> options;
  Shares expected;  // EAR, AI, UL, DG
};

void ExpectShares(const std::vector<Case>& cases) {
  for (const Case& c : cases) {
    const auto judged = JudgeOnePerson(KELVARA_TAB, kTable, c.person, c.options);
    const std::string where = c.person.column + " sex " + std::to_string(c.person.sex) + " age " +
                              c.person.age + " code " + std::to_string(c.person.pregnancy) +
                              " intake " + c.person.intake;
    ASSERT_EQ(judged.error, "") << where;
    EXPECT_EQ(judged.percent, c.expected) << where << "\n" << judged.referenceLine;
  }
}

TEST(ReferenceJudging, IntakeExactlyAtAValueIsJudgedAsTheValueIsWritten) {
  ExpectShares({
      // EAR: below it only when less; UL: above it only when more.
      {{"鉄", 1, "30", 0, "6.0"}, {}, {0.0, kNone, 0.0, kNone}},
      {{"鉄", 1, "30", 0, "5.99"}, {}, {100.0, kNone, 0.0, kNone}},
      {{"鉄", 1, "30", 0, "50"}, {}, {0.0, kNone, 0.0, kNone}},
      {{"鉄", 1, "30", 0, "50.01"}, {}, {0.0, kNone, 100.0, kNone}},
      // DG "6.5未満": 6.5 itself is outside.
      {{"食塩相当量", 2, "30", 0, "6.5"}, {}, {kNone, kNone, kNone, 100.0}},
      {{"食塩相当量", 2, "30", 0, "6.49"}, {}, {kNone, kNone, kNone, 0.0}},
      // DG range "60以上" and "120以下": both ends inside.
      {{"たんぱく質", 1, "40", 0, "60"}, {}, {kNone, kNone, kNone, 0.0}},
      {{"たんぱく質", 1, "40", 0, "59.9"}, {}, {kNone, kNone, kNone, 100.0}},
      {{"たんぱく質", 1, "40", 0, "120"}, {}, {kNone, kNone, kNone, 0.0}},
      {{"たんぱく質", 1, "40", 0, "120.1"}, {}, {kNone, kNone, kNone, 100.0}},
      // AI: reached at the value itself. The UL applies to supplements only
      // and is never judged.
      {{"ビタミンC", 1, "30", 0, "100"}, {}, {kNone, 100.0, kNone, kNone}},
      {{"ビタミンC", 1, "30", 0, "99.9"}, {}, {kNone, 0.0, kNone, kNone}},
  });
}

TEST(ReferenceJudging, PregnantAndLactatingWomenTakeTheAdditionToTheirBandsValue) {
  ExpectShares({
      // Iron, women 10-64: 5.5 without menstruation, the base of pregnant and
      // lactating women; +2.0 early, +8.0 mid and late, +2.0 lactating. The
      // table gives them no UL: they are not judged against the band's.
      {{"鉄", 2, "30", 1, "13.49"}, {"--pregnancy-stage", "mid"}, {100.0, kNone, kNone, kNone}},
      {{"鉄", 2, "30", 1, "13.5"}, {"--pregnancy-stage", "mid"}, {0.0, kNone, kNone, kNone}},
      {{"鉄", 2, "30", 1, "7.49"}, {"--pregnancy-stage", "early"}, {100.0, kNone, kNone, kNone}},
      {{"鉄", 2, "30", 1, "7.5"}, {"--pregnancy-stage", "early"}, {0.0, kNone, kNone, kNone}},
      {{"鉄", 2, "30", 2, "7.49"}, {}, {100.0, kNone, kNone, kNone}},
      // A non-pregnant woman's iron depends on menstruation (8.5 with it).
      {{"鉄", 2, "30", 0, "8.49"}, {"--menstruation", "yes"}, {100.0, kNone, 0.0, kNone}},
      {{"鉄", 2, "30", 0, "8.49"}, {"--menstruation", "no"}, {0.0, kNone, 0.0, kNone}},
      // An AI given for pregnancy as an addition: 100 + 10.
      {{"ビタミンC", 2, "30", 1, "109.9"}, {}, {kNone, 0.0, kNone, kNone}},
      {{"ビタミンC", 2, "30", 1, "110"}, {}, {kNone, 100.0, kNone, kNone}},
      // 0.9 + 0.2 is 1.1 as decimals; in binary it would exceed 1.1.
      {{"ビタミンB1", 2, "30", 1, "1.1"}, {}, {0.0, kNone, kNone, kNone}},
      {{"ビタミンB1", 2, "30", 1, "1.09"}, {}, {100.0, kNone, kNone, kNone}},
  });
}

TEST(ReferenceJudging, PersonsWithoutADeterminedValueAreCountedNotJudged) {
  struct Missing {
    JudgedPerson person;
    std::string line;
  };
  const std::vector<Missing> cases = {
      {{"鉄", 2, "30", 1, "5"},
       "基準値：試験用の基準値表、栄養素：iron、判定しなかった人数：EAR 2（妊娠期の指定なし 2）、UL 2（基準値なし 2）"},
      {{"鉄", 2, "30", 0, "5"},
       "基準値：試験用の基準値表、栄養素：iron、判定しなかった人数：EAR 2（月経の有無の指定なし 2）、UL 0"},
      {{"鉄", 1, "0.5", 0, "5"},
       "基準値：試験用の基準値表、栄養素：iron、判定しなかった人数：EAR 2（1歳未満 2）、UL 2（1歳未満 2）"},
      {{"鉄", 1, "10", 0, "5"},
       "基準値：試験用の基準値表、栄養素：iron、判定しなかった人数：EAR 0、UL 2（基準値なし 2）"},
      {{"エネルギー", 1, "30", 0, "2000"}, "基準値：試験用の基準値表、栄養素：対応なし"},
  };
  for (const Missing& c : cases) {
    const auto judged = JudgeOnePerson(KELVARA_TAB, kTable, c.person);
    EXPECT_EQ(judged.referenceLine, c.line) << c.person.column << " " << c.person.age;
  }
}

// Calcium's EAR is 650 up to 29 and 600 from 30 on. 男(再掲)20以上 holds both
// bands: each member is judged against their own, and the infant (no value
// under one year) is left out of the share of 男総数.
TEST(ReferenceJudging, SummaryGroupJudgesEachMemberAgainstTheirOwnBand) {
  TempDir dir;
  const std::string survey = dir.Write("calcium.csv",
                                       "性別,年齢,妊婦,重み,カルシウム\n"
                                       "1,29,0,1,620\n"   // below 650
                                       "1,29,0,2,660\n"
                                       "1,30,0,3,620\n"   // not below 600
                                       "1,30,0,4,590\n"   // below 600
                                       "1,0.5,0,5,100\n");
  const auto outcome = kelvara::testing::RunProgram(
      KELVARA_TAB, {"--sex", "1", "--age", "2", "--pregnancy", "3", "--weight", "4", "--reference",
                    kTable, "--utf8", survey, "5"});
  ASSERT_EQ(outcome.status, 0) << outcome.err;
  int checked = 0;
  for (const std::string& line : kelvara::testing::ReportLines(outcome.out)) {
    const auto fields = ReportFields(line);
    if (fields[0] != "\"男(再掲)20以上\"" && fields[0] != "\"男総数\"") continue;
    ASSERT_EQ(fields.size(), 29u) << line;
    // Four judged (the infant has no value); indicator 1, 0, 0, 1 with
    // weights 1 to 4: share 5/10; the weighted variance (2.5 / (3 * 10 / 4)
    // = 1/3) over n = 4 gives SE sqrt(1/12).
    EXPECT_EQ(fields[17], "4") << line;
    EXPECT_EQ(fields[18], "50") << line;
    EXPECT_EQ(fields[19], "28.8675") << line;
    ++checked;
  }
  EXPECT_EQ(checked, 2);
  EXPECT_NE(outcome.out.find("EAR 1（1歳未満 1）、UL 1（1歳未満 1）"), std::string::npos)
      << outcome.out;
}

TEST(ReferenceJudging, TablesInEitherEncodingHeadersWithUnitsAndMappingByHand) {
  TempDir dir;
  const std::string utf8Table = kelvara::testing::ReadBytes(kTable);
  const std::string cp932Table = dir.Write("cp932.csv", *kelvara::Utf8ToCp932(utf8Table));
  const std::string survey = dir.Write("units.csv",
                                       "性別,年齢,妊婦,鉄(mg),鉄（mg）,X\n"
                                       "1,30,0,5.9,6.1,590\n"
                                       "1,31,0,6.1,5.9,700\n");
  auto run = [&](const std::string& table, std::vector<std::string> extra) {
    std::vector<std::string> args = {"--sex", "1", "--age", "2", "--pregnancy", "3",
                                     "--reference", table, "--utf8"};
    args.insert(args.end(), extra.begin(), extra.end());
    return kelvara::testing::RunProgram(KELVARA_TAB, args);
  };
  const auto utf8 = run(kTable, {"--nutrient", "X=calcium", survey, "4", "5", "6"});
  const auto cp932 = run(cp932Table, {"--nutrient", "6=calcium", survey, "4", "5", "6"});
  ASSERT_EQ(utf8.status, 0) << utf8.err;
  EXPECT_EQ(utf8.out, cp932.out);
  for (const char* key : {"栄養素：iron", "栄養素：calcium"}) {
    EXPECT_NE(utf8.out.find(key), std::string::npos) << key;
  }
  EXPECT_EQ(utf8.out.find("対応なし"), std::string::npos) << utf8.out;

  const std::string broken = dir.Write("broken.csv", "title,T\nname,iron,鉄\nvalue,iron,3,1,,,EAR,5,mg,total,x\n");
  const auto bad = run(broken, {survey, "4"});
  EXPECT_EQ(bad.status, 2);
  EXPECT_NE(bad.err.find("3行目：性別は 1（男）か 2（女）です"), std::string::npos) << bad.err;
  const auto unknownKey = run(kTable, {"--nutrient", "4=zinc", survey, "4"});
  EXPECT_EQ(unknownKey.status, 2);
  EXPECT_NE(unknownKey.err.find("no nutrient zinc"), std::string::npos) << unknownKey.err;
  const auto categories = run(kTable, {"--scheme", "category", survey, "4"});
  EXPECT_EQ(categories.status, 2);
  EXPECT_NE(categories.err.find("--scheme category"), std::string::npos) << categories.err;
}

// A header's unit in brackets is converted to the table's (iron in mg): a
// person just either side of the converted value falls on the two sides of
// it, whichever prefix, width or mu the header is written with. Energy
// shares take "%", "%E" and "%エネルギー" alike. Anything else is refused.
TEST(ReferenceJudging, HeaderUnitsAreConvertedToTheTablesUnit) {
  ExpectShares({
      // EAR 6.0 mg, UL 50 mg for men from 18.
      {{"鉄(μg)", 1, "30", 0, "5999.9"}, {}, {100.0, kNone, 0.0, kNone}},
      {{"鉄(μg)", 1, "30", 0, "6000"}, {}, {0.0, kNone, 0.0, kNone}},
      {{"鉄(µg)", 1, "30", 0, "50000.1"}, {}, {0.0, kNone, 100.0, kNone}},  // the micro sign
      {{"鉄(µg)", 1, "30", 0, "50000"}, {}, {0.0, kNone, 0.0, kNone}},
      {{"鉄(g)", 1, "30", 0, "0.0059999"}, {}, {100.0, kNone, 0.0, kNone}},
      {{"鉄(g)", 1, "30", 0, "0.006"}, {}, {0.0, kNone, 0.0, kNone}},
      {{"鉄（ｍｇ／日）", 1, "30", 0, "5.99"}, {}, {100.0, kNone, 0.0, kNone}},
      {{"鉄 (mg)", 1, "30", 0, "50.01"}, {}, {0.0, kNone, 100.0, kNone}},
      // DG 20 to 30 %エネルギー.
      {{"脂肪エネルギー比率(%)", 1, "30", 0, "30"}, {}, {kNone, kNone, kNone, 0.0}},
      {{"脂肪エネルギー比率(%E)", 1, "30", 0, "30.01"}, {}, {kNone, kNone, kNone, 100.0}},
      {{"脂肪エネルギー比率（％エネルギー）", 1, "30", 0, "19.99"}, {}, {kNone, kNone, kNone, 100.0}},
  });
  const auto converted = JudgeOnePerson(KELVARA_TAB, kTable, {"鉄(μg)", 1, "30", 0, "6000"});
  EXPECT_NE(converted.referenceLine.find("、基準値は列の単位μgに換算"), std::string::npos)
      << converted.referenceLine;
  const auto same = JudgeOnePerson(KELVARA_TAB, kTable, {"鉄(mg)", 1, "30", 0, "6"});
  EXPECT_EQ(same.referenceLine.find("換算"), std::string::npos) << same.referenceLine;
  for (const char* header : {"鉄(mmol)", "鉄(総量)", "鉄(mgNE)", "脂肪エネルギー比率(g)"}) {
    const auto refused = JudgeOnePerson(KELVARA_TAB, kTable, {header, 1, "30", 0, "6"});
    EXPECT_NE(refused.error.find("に換算できません"), std::string::npos) << header << refused.error;
  }
  // As the refusal says, the column runs unjudged with an empty nutrient.
  const auto unjudged =
      JudgeOnePerson(KELVARA_TAB, kTable, {"鉄(総量)", 1, "30", 0, "6"}, {"--nutrient", "4="});
  EXPECT_EQ(unjudged.referenceLine, "基準値：試験用の基準値表、栄養素：対応なし") << unjudged.error;
  // By hand the column is still in the unit its header names.
  const auto byHand =
      JudgeOnePerson(KELVARA_TAB, kTable, {"Fe(μg)", 1, "30", 0, "5999.9"}, {"--nutrient", "4=iron"});
  EXPECT_EQ(byHand.percent[0], 100.0) << byHand.error;
}

// A ナトリウム column is judged against sodium's EAR in mg and against
// salt's DG, salt equivalent g = sodium mg * 2.54 / 1000: 7.5 g for men is
// 2952.7559... mg, 6.5 g for women 2559.0551... mg.
TEST(ReferenceJudging, SodiumTakesSaltsGoalThroughTheReportsFactor) {
  ExpectShares({
      {{"ナトリウム", 1, "30", 0, "2952.7559"}, {}, {0.0, kNone, kNone, 0.0}},
      {{"ナトリウム", 1, "30", 0, "2952.7560"}, {}, {0.0, kNone, kNone, 100.0}},
      {{"ナトリウム", 2, "40", 0, "2559.0551"}, {}, {0.0, kNone, kNone, 0.0}},
      {{"ナトリウム", 2, "40", 0, "2559.0552"}, {}, {0.0, kNone, kNone, 100.0}},
      {{"ナトリウム", 1, "30", 0, "599.9"}, {}, {100.0, kNone, kNone, 0.0}},
      // In g the value is first taken to mg.
      {{"ナトリウム(g)", 1, "30", 0, "2.9527559"}, {}, {0.0, kNone, kNone, 0.0}},
      {{"ナトリウム(g)", 1, "30", 0, "2.952756"}, {}, {0.0, kNone, kNone, 100.0}},
  });
  const auto judged = JudgeOnePerson(KELVARA_TAB, kTable, {"ナトリウム", 1, "30", 0, "3000"});
  EXPECT_EQ(judged.referenceLine,
            "基準値：試験用の基準値表、栄養素：sodium、判定しなかった人数：EAR 0、DG 0"
            "、DGは食塩相当量の目標量から換算（食塩相当量g＝ナトリウムmg×2.54÷1000）");
}

// Each figure's persons judged, worked out by hand for the women of a small
// file (no sampling units: the SE is that of a simple random sample).
// Iron, menstruation not chosen: the woman of 30 has no EAR, the pregnant
// one none either (early and mid additions differ), the girl of 5 and the
// lactating woman (5.5 + 2.0) and the woman of 70 have one; the UL (40 from
// 18, none for pregnancy or lactation) judges the women of 30 and 70.
TEST(ReferenceJudging, EachShareCountsThePersonsItJudged) {
  TempDir dir;
  const std::string survey = dir.Write("counts.csv",
                                       "性別,年齢,妊婦,重み,鉄\n"
                                       "2,30,0,4,45\n"    // UL: above 40
                                       "2,70,0,1,4.0\n"   // EAR 5.0: below; UL: not above
                                       "2,5,0,2,5.0\n"    // EAR 4.5: not below
                                       "2,30,2,3,7.0\n"   // EAR 7.5: below
                                       "2,31,1,5,9.0\n"   // not judged
                                       "2,0.5,0,6,1.0\n"); // under one year
  const auto outcome = kelvara::testing::RunProgram(
      KELVARA_TAB, {"--sex", "1", "--age", "2", "--pregnancy", "3", "--weight", "4", "--reference",
                    kTable, "--utf8", survey, "5"});
  ASSERT_EQ(outcome.status, 0) << outcome.err;
  std::map<std::string, std::vector<std::string>> lines;
  for (const std::string& line : kelvara::testing::ReportLines(outcome.out)) {
    const auto fields = ReportFields(line);
    lines[fields[0]] = fields;
  }
  const std::vector<std::string>& titles = lines.at("\"性年齢\"");
  ASSERT_EQ(titles.size(), 29u);
  EXPECT_EQ(std::vector<std::string>(titles.begin() + 17, titles.end()),
            (std::vector<std::string>{
                "\"EAR判定人数\"", "\"EAR未満の割合(%)\"", "\"EAR未満の割合の標準誤差\"",
                "\"AI判定人数\"", "\"AI以上の割合(%)\"", "\"AI以上の割合の標準誤差\"",
                "\"UL判定人数\"", "\"UL超の割合(%)\"", "\"UL超の割合の標準誤差\"",
                "\"DG判定人数\"", "\"DG外の割合(%)\"", "\"DG外の割合の標準誤差\""}));
  // EAR: indicator 1, 0, 1 with weights 1, 2, 3: p = 2/3, weighted
  // variance (4/3) / (2 * 6 / 3) = 1/3, SE sqrt(1/9). UL: 1, 0 with weights
  // 4, 1: p = 0.8, variance 0.8 / (5 / 2), SE sqrt(0.16). The table gives
  // iron no AI and no DG: those cells stay empty.
  const std::vector<std::string>& women = lines.at("\"女総数\"");
  ASSERT_EQ(women.size(), 29u);
  EXPECT_EQ(std::vector<std::string>(women.begin() + 17, women.end()),
            (std::vector<std::string>{"3", "66.6667", "33.3333", "", "", "", "2", "80", "40", "",
                                      "", ""}));
  // Three women of 30 to 39, one judged for each: no share of one person.
  const std::vector<std::string>& thirties = lines.at("\"女30～39\"");
  ASSERT_EQ(thirties.size(), 29u);
  EXPECT_EQ(std::vector<std::string>(thirties.begin() + 17, thirties.end()),
            (std::vector<std::string>{"1", "", "", "", "", "", "1", "", "", "", "", ""}));
  EXPECT_NE(outcome.out.find("判定しなかった人数：EAR 3（1歳未満 1、妊娠期の指定なし 1、月経の有無の指定なし 1）、"
                             "UL 4（1歳未満 1、基準値なし 3）"),
            std::string::npos)
      << outcome.out;
}

// Woodruff's limits bracket the median they are built around.
TEST(ReferenceJudging, MedianIntervalBracketsTheMedian) {
  const auto outcome = kelvara::testing::RunProgram(
      KELVARA_TAB, {"--unit", "1", "--sex", "2", "--age", "3", "--pregnancy", "4", "--weight", "5",
                    "--median-ci", "--utf8", kExample, "6", "12"});
  ASSERT_EQ(outcome.status, 0) << outcome.err;
  int bracketed = 0;
  for (const std::string& line : kelvara::testing::ReportLines(outcome.out)) {
    const auto fields = ReportFields(line);
    if (fields.size() != 19 || fields[17].empty() || fields[18].empty()) continue;
    if (fields[17].front() == '"') continue;  // the title line
    const double median = std::stod(fields[11]);
    EXPECT_LE(std::stod(fields[17]), median) << line;
    EXPECT_GE(std::stod(fields[18]), median) << line;
    ++bracketed;
  }
  EXPECT_GT(bracketed, 40);
}

}  // namespace
