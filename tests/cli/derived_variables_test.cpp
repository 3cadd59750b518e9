// Computed variables from the command line: --derive and --energy-balance.
#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <string>
#include <vector>

#include "tests/support/program_run.h"
#include "tests/support/report_fields.h"
#include "tests/support/temp_dir.h"

namespace {

using kelvara::testing::ReportLines;
using kelvara::testing::TempDir;
using Outcome = kelvara::testing::ProgramOutcome;

Outcome Tab(const std::vector<std::string>& args) {
  return kelvara::testing::RunProgram(KELVARA_TAB, args);
}

// A Windows build made without muparser refuses every expression.
bool TabComputesExpressions(const std::string& file) {
  return Tab({"--sex", "2", "--age", "3", "--pregnancy", "4", "--derive", "r=1", file})
             .err.find("without muparser") == std::string::npos;
}

double Number(const std::string& text) {
  double value = 0;
  std::from_chars(text.data(), text.data() + text.size(), value);
  return value;
}

// The shortest text that reads back as the same double; empty for none.
std::string Cell(double value) {
  if (!std::isfinite(value)) return "";
  char buffer[32];
  return std::string(buffer, std::to_chars(buffer, buffer + sizeof buffer, value).ptr);
}

// The lines of the block headed 【name】, from its title line to its strata
// line.
std::vector<std::string> BlockFigures(const std::string& report, const std::string& name) {
  const std::vector<std::string> lines = ReportLines(report);
  std::vector<std::string> block;
  for (size_t i = 0; i < lines.size(); ++i) {
    if (lines[i] != "\"【" + name + "】\"") continue;
    for (size_t k = i + 1; k < lines.size() && !lines[k].empty(); ++k) {
      if (lines[k].starts_with("\"計算式：")) break;
      block.push_back(lines[k]);
    }
  }
  return block;
}

// A survey of 60 rows with energy, protein, fat and saturated fat, and beside
// them each ratio as computed here (empty where it has no value): an energy
// missing in row 7 and 0 in row 13, protein 0 in row 21, fat missing in row 29.
struct EnergySurvey {
  std::string text;
  size_t missingX = 0;  // rows without a value of log(protein)/fat
};

EnergySurvey MakeEnergySurvey() {
  EnergySurvey survey;
  survey.text =
      "地区,性別,年齢,妊婦授乳婦,重み,エネルギー(kcal),たんぱく質（g）,脂質(g),飽和脂肪酸,"
      "炭水化物(g),P比,F比,S比,C比,X\n";
  for (int i = 0; i < 60; ++i) {
    const std::string energy = i == 7 ? "" : i == 13 ? "0" : std::to_string(1500 + 17 * i) + ".5";
    const std::string protein = i == 21 ? "0" : std::to_string(50 + (i * 3) % 40) + ".25";
    const std::string fat = i == 29 ? "" : std::to_string(40 + (i * 5) % 35) + ".1";
    const std::string saturated = std::to_string(10 + i % 9) + ".3";
    const double e = energy.empty() ? NAN : Number(energy), p = Number(protein);
    const double f = fat.empty() ? NAN : Number(fat), s = Number(saturated);
    const double proteinShare = p * 4 / e * 100, fatShare = f * 9 / e * 100;
    const double x = std::log(p) / f;
    survey.missingX += !std::isfinite(x);
    survey.text += std::to_string(i % 6 + 1) + "," + std::to_string(i % 2 + 1) + "," +
                   std::to_string(20 + (i * 7) % 60) + ",0," + Cell(1 + (i % 5) * 0.25) + "," +
                   energy + "," + protein + "," + fat + "," + saturated + ",300," +
                   Cell(proteinShare) + "," + Cell(fatShare) + "," + Cell(s * 9 / e * 100) + "," +
                   Cell(100 - proteinShare - fatShare) + "," + Cell(x) + "\n";
  }
  return survey;
}

TEST(TabComputedVariables, BlockIsTheBlockOfAColumnHoldingTheSameValues) {
  const TempDir dir;
  const EnergySurvey survey = MakeEnergySurvey();
  const std::string file = dir.Write("energy.csv", survey.text);
  if (!TabComputesExpressions(file)) GTEST_SKIP() << "kelvara-tab was built without muparser";
  const Outcome outcome = Tab({"--unit",
                               "1",
                               "--weight",
                               "5",
                               "--sex",
                               "2",
                               "--age",
                               "3",
                               "--pregnancy",
                               "4",
                               "--ci",
                               "--below",
                               "脂肪エネルギー比率=30",
                               "--below",
                               "F比=30",
                               "--energy-balance",
                               "--derive",
                               "x = log({たんぱく質（g）}) / {8}",
                               file,
                               "P比",
                               "F比",
                               "S比",
                               "C比",
                               "X",
                               "--utf8"});
  ASSERT_EQ(outcome.status, 0) << outcome.err;
  const std::pair<std::string, std::string> pairs[] = {{"たんぱく質エネルギー比率", "P比"},
                                                       {"脂肪エネルギー比率", "F比"},
                                                       {"飽和脂肪酸エネルギー比率", "S比"},
                                                       {"炭水化物エネルギー比率", "C比"},
                                                       {"x", "X"}};
  for (const auto& [computed, column] : pairs) {
    const std::vector<std::string> figures = BlockFigures(outcome.out, computed);
    EXPECT_GT(figures.size(), 30u) << computed;
    EXPECT_EQ(figures, BlockFigures(outcome.out, column)) << computed;
  }
  // The computed blocks follow the columns, in the order defined, each with
  // its expression.
  const size_t x = outcome.out.find("\"【x】\"");
  const size_t protein = outcome.out.find("\"【たんぱく質エネルギー比率】\"");
  EXPECT_LT(outcome.out.find("\"【X】\""), x);
  EXPECT_LT(x, protein);
  EXPECT_NE(outcome.out.find("\"計算式：log({たんぱく質（g）}) / {8}\"", x), std::string::npos);
  EXPECT_NE(outcome.out.find("\"計算式：{たんぱく質（g）}*4/{エネルギー(kcal)}*100\"", protein),
            std::string::npos);
  // Missing: a missing operand, the logarithm of 0 and the division by 0.
  const std::string total = "\"男女総数\"," + std::to_string(60 - survey.missingX) + "," +
                            std::to_string(survey.missingX) + ",";
  EXPECT_EQ(survey.missingX, 2u);
  EXPECT_NE(outcome.out.find(total, x), std::string::npos);
}

TEST(TabComputedVariables, MistakesAreNamedWithTheirPlace) {
  const TempDir dir;
  const std::string file = dir.Write("energy.csv", MakeEnergySurvey().text);
  if (!TabComputesExpressions(file)) GTEST_SKIP() << "kelvara-tab was built without muparser";
  const std::string noProtein = dir.Write(
      "no_protein.csv",
      "性別,年齢,妊婦授乳婦,エネルギー,脂質,脂質エネルギー比率(%),蛋白\n1,30,0,2000,60,27,70\n");
  const std::vector<std::string> roles = {"--sex", "2", "--age", "3", "--pregnancy", "4"};
  struct Case {
    std::vector<std::string> args;
    std::string message;
  };
  const std::vector<Case> cases = {
      {{"--derive", "r={脂質(g)}*9/{エネルギー}", file},
       "{エネルギー} at character 11 names no column"},
      {{"--derive", "r=2,5*{7}", file}, "the comma at character 2 stands outside"},
      {{"--derive", "r={7}*4)", file}, "\")\" cannot stand at character 6"},
      {{"--derive", "r=sum({7})", file}, "\"sum\" at character 1 is no function"},
      {{"--derive", "P比={7}", file}, "the file has a column of that name already"},
      {{"--derive", "r=1", "--derive", "r=2", file}, "--derive r: defined twice"},
      {{"--derive", "={7}", file}, "--derive needs NAME=EXPRESSION"},
      {{"--energy-balance", noProtein}, "no protein column (たんぱく質)"},
      {{"--energy-balance-columns", "protein=99", file}, "column 99 does not exist"},
      {{"--energy-balance-columns", "carbohydrate=10", file}, "PART being energy, protein, fat"},
  };
  for (const Case& c : cases) {
    std::vector<std::string> args = roles;
    args.insert(args.end(), c.args.begin(), c.args.end());
    const Outcome outcome = Tab(args);
    EXPECT_EQ(outcome.status, 2) << c.message;
    EXPECT_NE(outcome.err.find(c.message), std::string::npos) << outcome.err;
    EXPECT_EQ(outcome.out, "");
  }
  // A ratio the file holds, under a name surveys give it, is left to that
  // column; protein given by hand.
  const Outcome held = Tab({"--sex", "1", "--age", "2", "--pregnancy", "3",
                            "--energy-balance-columns", "protein=7", noProtein, "--utf8"});
  EXPECT_EQ(held.status, 0) << held.err;
  EXPECT_NE(held.err.find("the file holds the ratio as 脂質エネルギー比率(%) already"),
            std::string::npos);
  EXPECT_NE(held.out.find("\"【たんぱく質エネルギー比率】\""), std::string::npos);
  EXPECT_NE(held.out.find("\"【炭水化物エネルギー比率】\""), std::string::npos);
  EXPECT_EQ(held.out.find("\"【脂肪エネルギー比率】\""), std::string::npos);
}

}  // namespace
