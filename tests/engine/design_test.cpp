// Design-based figures on designs small enough to work by hand (each checked
// against R's survey package too), through the engine and the reference.
#include <gtest/gtest.h>

#include <random>

#include "engine/reading/reference_table.h"
#include "engine/report/report_format.h"
#include "engine/statistics/reference_judgement.h"
#include "tests/support/report_fields.h"
#include "tests/engine/survey_builder.h"

namespace kelvara::testing {
namespace {

Respondent Man(std::string stratum, std::string unit, std::string value) {
  Respondent r;
  r.stratum = std::move(stratum);
  r.unit = std::move(unit);
  r.value = std::move(value);
  return r;
}

DesignOptions Everything(int strataColumn, double cutOff) {
  DesignOptions design;
  design.strataColumn = strataColumn;
  design.confidenceInterval = design.coefficientOfVariation = design.designEffect = true;
  design.shareBelow = cutOff;
  return design;
}

class DesignTest : public ::testing::TestWithParam<Path> {};

TEST_P(DesignTest, TwoStrataOfTwoUnitsWithUnitCodesRepeated) {
  // Values 1, 3 | 5, 7 in strata 1 | 2, unit codes 1 and 2 in both. Mean 4,
  // W = 4, z = (y - 4)/4 = -0.75, -0.25 | 0.25, 0.75: each stratum adds
  // 2 * (0.25^2 + 0.25^2) = 0.25, so SE = sqrt(0.5) = 0.707107. Df 4 - 2 = 2,
  // t(0.975, 2) = 4.302653: CI 4 -/+ 3.042435. SD^2 = 20/3: deff
  // 0.5 * 4 / (20/3) = 0.3, CV 100 * 0.707107 / 4. Below 2 only the value 1:
  // 25 %, indicator z = 0.1875, -0.0625 | -0.0625, -0.0625, so v = 0.0625.
  // A fifth man with an empty stratum cell is missing.
  std::vector<Respondent> rows = {Man("1", "1", "1"), Man("1", "2", "3"), Man("2", "1", "5"),
                                  Man("2", "2", "7"), Man("", "3", "9")};
  const std::string expected =
      ",4,1,4,2.58199,0.707107,1,1,1,1,1.5,4,6.5,7,7,7,7,0.957565,7.04243,17.6777,0.3,25,25";
  const Choice nested{.unit = true, .design = Everything(kStratumColumn, 2)};
  const std::vector<std::string> lines = Tabulate(GetParam(), rows, nested);
  EXPECT_EQ(LineOf(lines, kMaleTotal), expected);
  EXPECT_EQ(lines[lines.size() - 2], StrataLine(DesignCounts{2, 4, 0}));

  // Pooling unit 1 of stratum 1 with unit 1 of stratum 2 would give another
  // SE; distinct unit codes, or no unit column (every respondent a unit of
  // its own), describe the same four units.
  rows[2].unit = "3";
  rows[3].unit = "4";
  EXPECT_EQ(LineOf(Tabulate(GetParam(), rows, nested), kMaleTotal), expected);
  EXPECT_EQ(LineOf(Tabulate(GetParam(), rows, {.design = Everything(kStratumColumn, 2)}),
                   kMaleTotal),
            expected);
}

TEST_P(DesignTest, SingleUnitStratumAndUnitsWithoutMembers) {
  // Stratum 3 holds one unit, a certainty unit that adds nothing; unit 3 of
  // stratum 1 holds only a woman, so the men's z there is 0. Mean 4, W = 5,
  // z = -0.6, -0.2, 0 | 0.2, 0.6 | 0: stratum 1 adds 1.5 * 0.186667 = 0.28,
  // stratum 2 adds 2 * 0.08 = 0.16, SE = sqrt(0.44). Df 6 - 3 = 3.
  const std::vector<Respondent> rows = {Man("1", "1", "1"), Man("1", "2", "3"),
                                        Man("2", "1", "5"), Man("2", "2", "7"),
                                        Man("3", "1", "4"), Man("1", "3", "9")};
  std::vector<Respondent> withWoman = rows;
  withWoman.back().sex = "2";
  const std::vector<std::string> lines =
      Tabulate(GetParam(), withWoman, {.unit = true, .design = Everything(kStratumColumn, 2)});
  EXPECT_EQ(LineOf(lines, kMaleTotal),
            ",5,0,4,2.23607,0.663325,1,1,1,1,2,4,6,7,7,7,7,1.889,6.111,16.5831,0.44,20,18.3303");
  EXPECT_EQ(lines[lines.size() - 2], StrataLine(DesignCounts{3, 6, 1}));
  // A single member: the 17 fields alone.
  EXPECT_EQ(LineOf(lines, kFemaleTotal), ",1,0,9,,,9,9,9,9,9,9,9,9,9,9,9");
}

TEST_P(DesignTest, OneStratumIsTheReportsFormula) {
  // Values 1, 2 in unit 1 and 3, 4 in unit 2: SE 1 either way.
  const std::vector<Respondent> rows = {Man("7", "1", "1"), Man("7", "1", "2"),
                                        Man("7", "2", "3"), Man("7", "2", "4")};
  DesignOptions strata;
  strata.strataColumn = kStratumColumn;
  const std::string expected = ",4,0,2.5,1.29099,1,1,1,1,1,1.25,2.5,3.75,4,4,4,4";
  EXPECT_EQ(LineOf(Tabulate(GetParam(), rows, {.unit = true}), kMaleTotal), expected);
  EXPECT_EQ(LineOf(Tabulate(GetParam(), rows, {.unit = true, .design = strata}), kMaleTotal),
            expected);
}

TEST_P(DesignTest, OneStratumIsTheReportEvenWithRespondentsOutsideUnits) {
  // Members coded -999 count in the mean and in the average unit share the
  // report centres on, but form no unit. By hand: values 1 | 3 | 5 (-999),
  // z = -2/3, 0, 2/3 over three runs, zbar 0, SE sqrt(2 * 4/9) = 0.942809.
  DesignOptions strata;
  strata.strataColumn = kStratumColumn;
  const std::vector<Respondent> small = {Man("1", "1", "1"), Man("1", "2", "3"),
                                         Man("1", "-999", "5")};
  EXPECT_EQ(LineOf(Tabulate(GetParam(), small, {.unit = true, .design = strata}), kMaleTotal)
                .substr(0, 25),
            ",3,0,3,1.41421,0.942809,1");
  // A weighted survey of every age, many members outside units, missing
  // values and units that hold no member of a group: every group line of the
  // one-stratum report is the report's.
  std::mt19937 random(20261207);
  std::vector<Respondent> rows;
  for (int i = 0; i < 600; ++i) {
    Respondent r;
    const int unit = static_cast<int>(random() % 14);
    // Whole strings moved in: assigning a literal here trips a false
    // -Wrestrict of GCC 12 for mingw.
    r.unit = unit < 3 ? std::string("-999") : std::to_string(unit);
    r.sex = std::string(random() % 2 ? "1" : "2");
    r.age = std::to_string(1 + random() % 90);
    if (random() % 23 == 0) {
      r.value = std::string("NA");
    } else {
      r.value = std::to_string(100 + random() % 2000);
      r.value.append(".5");
    }
    r.weight = std::to_string(1 + random() % 7) + ".25";
    rows.push_back(r);
  }
  const std::vector<std::string> plain =
      Tabulate(GetParam(), rows, {.unit = true, .weight = true});
  const std::vector<std::string> stratified =
      Tabulate(GetParam(), rows, {.unit = true, .weight = true, .design = strata});
  ASSERT_EQ(plain.size(), stratified.size());
  ASSERT_GT(plain.size(), 30u);
  for (size_t i = 0; i + 2 < plain.size(); ++i) EXPECT_EQ(stratified[i], plain[i]);
}

TEST_P(DesignTest, OneUnitInAllIsASimpleRandomSampleWithOrWithoutStrata) {
  // Values 1, 2, 3, 4 all in unit 1: the report takes its respondents as a
  // simple random sample, SE sqrt((5/3) / 4) = 0.645497. One stratum holding
  // that unit is the same design: the same SE (not a certainty unit's 0),
  // the share's too, and no degree of freedom for an interval. Two strata of
  // one unit each are two certainty units: SE 0.
  std::vector<Respondent> rows = {Man("1", "1", "1"), Man("1", "1", "2"), Man("1", "1", "3"),
                                  Man("1", "1", "4")};
  const std::string expected =
      ",4,0,2.5,1.29099,0.645497,1,1,1,1,1.25,2.5,3.75,4,4,4,4,,,25.8199,1,25,25";
  EXPECT_EQ(LineOf(Tabulate(GetParam(), rows, {.unit = true, .design = Everything(-1, 2)}),
                   kMaleTotal),
            expected);
  const std::vector<std::string> lines =
      Tabulate(GetParam(), rows, {.unit = true, .design = Everything(kStratumColumn, 2)});
  EXPECT_EQ(LineOf(lines, kMaleTotal), expected);
  EXPECT_EQ(lines[lines.size() - 2], StrataLine(DesignCounts{1, 1, 1}));
  rows[2].stratum = rows[3].stratum = "2";
  EXPECT_EQ(LineOf(Tabulate(GetParam(), rows, {.unit = true, .design = Everything(kStratumColumn, 2)}),
                   kMaleTotal),
            ",4,0,2.5,1.29099,0,1,1,1,1,1.25,2.5,3.75,4,4,4,4,,,0,0,25,0");
}

TEST_P(DesignTest, DegreesOfFreedomWithoutStrata) {
  // Values 1, 2 | 3, 4. Only the confidence interval asked for.
  std::vector<Respondent> rows = {Man("1", "1", "1"), Man("1", "1", "2"), Man("1", "2", "3"),
                                  Man("1", "2", "4")};
  DesignOptions ci;
  ci.confidenceInterval = true;
  auto limits = [&](Choice choice) {
    const std::string line = LineOf(Tabulate(GetParam(), rows, choice), kMaleTotal);
    const size_t afterMaximum = line.find(",4,4,4,4,") + 8;
    return line.substr(afterMaximum);
  };
  // No unit column: 4 respondents - 1 = 3 df, SE sqrt(5/12), t = 3.182446.
  EXPECT_EQ(limits({.design = ci}), ",0.44574,4.55426");
  // Two units: 2 - 1 = 1 df, SE 1, t = 12.7062.
  EXPECT_EQ(limits({.unit = true, .design = ci}), ",-10.2062,15.2062");
  // One unit: no degree of freedom, no interval.
  for (Respondent& r : rows) r.unit = "1";
  EXPECT_EQ(limits({.unit = true, .design = ci}), ",,");
}

TEST_P(DesignTest, FiguresWithoutAMeaningAreEmpty) {
  // Two strata of one unit each: no degree of freedom, hence no interval,
  // and an SE of 0 (certainty units). Mean 0: no coefficient of variation;
  // SD 0: no design effect. Both values lie below 1.
  const std::vector<Respondent> rows = {Man("1", "1", "0"), Man("2", "1", "0")};
  const Choice choice{.unit = true, .design = Everything(kStratumColumn, 1)};
  EXPECT_EQ(LineOf(Tabulate(GetParam(), rows, choice), kMaleTotal),
            ",2,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,,,,,100,0");
}

// Without strata, the judged shares and the median's share are gathered unit
// by unit on the walk of the deviations; with strata they go through the
// stratified variance. With one stratum the two estimate the same thing, so
// every line but the strata line must agree: a fault in either path shows.
TEST(DesignPaths, OneStratumJudgesAndBracketsTheMedianAsTheUnitWalk) {
  std::string error;
  std::optional<ReferenceTable> table = ParseReferenceTable(
      "title,t\nname,v,value\n"
      "value,v,1,1,49,,EAR,900,mg,total,x\nvalue,v,1,50,,,EAR,1100,mg,total,x\n"
      "value,v,2,1,,,EAR,800,mg,total,x\nvalue,v,2,,,pregnant,EAR,+200,mg,total,x\n"
      "value,v,1,18,,,UL,1900,mg,total,x\nvalue,v,2,30,,,AI,1000,mg,total,x\n"
      "value,v,2,,,pregnant,AI,+0,mg,total,x\nvalue,v,1,1,,,DG_min,700,mg,total,x\n"
      "value,v,1,1,,,DG_max,1800,mg,total,x\n",
      error);
  ASSERT_TRUE(table) << error;
  auto choice = std::make_shared<ReferenceChoice>();
  choice->table = std::move(*table);
  std::mt19937 random(20261208);
  std::vector<Respondent> rows;
  for (int i = 0; i < 800; ++i) {
    Respondent r;
    const int unit = static_cast<int>(random() % 17);
    r.unit = unit < 2 ? std::string("-999") : std::to_string(unit);
    r.sex = std::string(random() % 2 ? "1" : "2");
    r.age = std::to_string(random() % 90);
    r.pregnancy = std::string(r.sex == "2" && random() % 9 == 0 ? "1" : "0");
    r.value = random() % 31 == 0 ? std::string("NA") : std::to_string(300 + random() % 1800);
    r.weight = std::to_string(1 + random() % 7) + ".5";
    rows.push_back(r);
  }
  DesignOptions design;
  design.medianInterval = true;
  design.reference = choice;
  DesignOptions strata = design;
  strata.strataColumn = kStratumColumn;
  for (const SchemeId scheme : {SchemeId::table1, SchemeId::part5}) {
    const std::vector<std::string> plain =
        Tabulate(Path::engine, rows, {.unit = true, .weight = true, .scheme = scheme, .design = design});
    const std::vector<std::string> stratified =
        Tabulate(Path::engine, rows, {.unit = true, .weight = true, .scheme = scheme, .design = strata});
    ASSERT_EQ(plain.size(), stratified.size());
    ASSERT_GT(plain.size(), 20u);
    for (size_t i = 0; i + 3 < plain.size(); ++i) EXPECT_EQ(stratified[i], plain[i]);
    // Shares and intervals were formed, not left empty.
    if (scheme != SchemeId::table1) continue;
    // The women's median interval, EAR and AI shares were formed, not left
    // empty (label, 17 fields, the interval, then for EAR, AI, UL and DG the
    // persons judged, the share and its SE).
    const std::vector<std::string> women = ReportFields(LineOf(plain, kFemaleTotal));
    ASSERT_EQ(women.size(), 31u);
    for (const size_t field : {17u, 18u, 19u, 20u, 21u, 22u, 23u, 24u}) {
      EXPECT_FALSE(women[field].empty());
    }
  }
}

INSTANTIATE_TEST_SUITE_P(BothPaths, DesignTest, ::testing::Values(Path::engine, Path::reference),
                         [](const auto& info) {
                           return info.param == Path::engine ? "Engine" : "Reference";
                         });

}  // namespace
}  // namespace kelvara::testing
