// The blocks added after the variables' own: energy-adjusted intakes and
// ratios of totals, on files small enough to work by hand (R's lm and
// svyratio give the same; scripts/check_with_r.R checks them on larger data).
#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <string>
#include <vector>

#include "engine/report/report_format.h"
#include "engine/tabulation.h"
#include "tests/engine/survey_builder.h"
#include "tests/support/temp_dir.h"

namespace kelvara::testing {
namespace {

// Columns: 0 stratum, 1 unit, 2 sex, 3 age, 4 pregnancy, 5 weight, 6 nutrient,
// 7 energy.
struct Person {
  std::string stratum, unit, sex, weight, nutrient, energy;
};

std::string File(const std::vector<Person>& persons) {
  std::string text = "stratum,unit,sex,age,preg,weight,y,x\r\n";
  for (const Person& p : persons) {
    text += p.stratum + "," + p.unit + "," + p.sex + ",30,0," + p.weight + "," + p.nutrient +
            "," + p.energy + "\r\n";
  }
  return text;
}

std::vector<std::string> Report(const std::string& file, DesignOptions design,
                             std::vector<int> variables) {
  RunRequest request;
  request.fileName = file;
  request.columns = {1, 2, 3, 4, 5};
  request.variableColumns = std::move(variables);
  request.design = std::move(design);
  request.design.strataColumn = 0;
  std::vector<std::string> lines;
  EXPECT_EQ(TabulateVariables(request, [&](std::string_view line) { lines.emplace_back(line); }),
            RunStatus::ok);
  return lines;
}

// The lines of the block whose header starts with "【name".
std::vector<std::string> Block(const std::vector<std::string>& lines, const std::string& name) {
  std::vector<std::string> block;
  for (const std::string& line : lines) {
    if (block.empty() && line.rfind(HeaderLine(name).substr(0, name.size() + 3), 0) != 0) continue;
    if (line.empty()) break;
    block.push_back(line);
  }
  return block;
}

// The shortest text that reads back as `value`.
std::string Exactly(double value) {
  char text[32];
  return std::string(text, std::to_chars(text, text + sizeof text, value).ptr);
}

DesignOptions Adjusted(EnergyAdjustmentMethod method) {
  DesignOptions design;
  design.confidenceInterval = design.coefficientOfVariation = design.designEffect = true;
  design.shareBelow = 55;
  design.energyAdjustment = {method, 7};
  return design;
}

// Men: x 1000, 2000 (weight 2), 3000 with y 30, 50, 90: xbar 2000, ybar 55,
// Sxy 60000, Sxx 2e6, so b = 0.03, a = 55 - 0.03 * 2000 = -5, and y - b (x -
// xbar) = 60, 50, 60. Women: x 1500, 2500, 2000 (weight 2), 0 with y 40, 60,
// 70, 20: xbar 1600, ybar 52, Sxy = 1200 + 7200 + 2 * 7200 + 51200 = 74000,
// Sxx = 10000 + 810000 + 2 * 160000 + 2560000 = 3.7e6, so b = 0.02, a = 20,
// adjusted 42, 42, 62, 52. A man without energy, a person of sex 3 and a
// woman without the nutrient have no adjusted value. The adjusted block must
// be the ordinary block of a file holding the adjusted values, figure for
// figure; and by density, that of y / x * 1000 where x > 0.
TEST(EnergyAdjustment, ResidualAndDensityBlocksAreTheBlocksOfTheValuesWorkedByHand) {
  const std::vector<Person> persons = {
      {"1", "1", "1", "1", "30", "1000"}, {"1", "1", "1", "2", "50", "2000"},
      {"1", "2", "1", "1", "90", "3000"}, {"2", "1", "2", "1", "40", "1500"},
      {"2", "2", "2", "1", "60", "2500"}, {"2", "2", "2", "2", "70", "2000"},
      {"1", "2", "1", "1", "100", ""},    {"2", "1", "3", "1", "80", "2000"},
      {"2", "1", "2", "1", "", "1800"},   {"1", "1", "2", "1", "20", "0"},
  };
  std::vector<Person> byHand = persons;
  const char* adjustedByHand[] = {"60", "50", "60", "42", "42", "62", "", "", "", "52"};
  for (size_t p = 0; p < byHand.size(); ++p) byHand[p].nutrient = adjustedByHand[p];

  TempDir dir;
  const std::string file = dir.Write("survey.csv", File(persons));
  const std::vector<std::string> lines = Report(file, Adjusted(EnergyAdjustmentMethod::residual),
                                             {6, 7});
  // The energy column has no adjusted block of its own.
  EXPECT_TRUE(Block(lines, "x\x81i").empty());
  const std::vector<std::string> adjusted = Block(lines, "y\x81i");
  const std::vector<std::string> expected =
      Block(Report(dir.Write("by_hand.csv", File(byHand)), Adjusted(EnergyAdjustmentMethod::none),
                {6}),
            "y");
  ASSERT_EQ(adjusted.size(), expected.size() + 1);
  EXPECT_EQ(adjusted[0], HeaderLine("y\x81i\x83G\x83l\x83\x8B\x83M\x81[\x92\xB2\x90\xAE\x81"
                                    "F\x8E" "c\x8D\xB7\x96@\x81j"));  // （エネルギー調整：残差法）
  for (size_t i = 1; i < expected.size(); ++i) EXPECT_EQ(adjusted[i], expected[i]) << i;
  // 男 傾き=0.03 切片=-5 平均エネルギー=2000 n=3、女 ... n=4；調整値なし：エネルギー欠損 1人、
  // 性別が男女以外 1人；…
  const std::string& method = adjusted.back();
  EXPECT_NE(method.find("\x92j \x8CX\x82\xAB=0.03 \x90\xD8\x95\xD0=-5 \x95\xBD\x8B\xCF"
                        "\x83G\x83l\x83\x8B\x83M\x81[=2000 n=3\x81" "A\x8F\x97 \x8CX\x82\xAB="
                        "0.02 \x90\xD8\x95\xD0=20 \x95\xBD\x8B\xCF\x83G\x83l\x83\x8B\x83M\x81["
                        "=1600 n=4"),
            std::string::npos)
      << method;
  EXPECT_NE(method.find("\x8C\x87\x91\xB9 1\x90l\x81" "A\x90\xAB\x95\xCA\x82\xAA\x92j\x8F\x97"
                        "\x88\xC8\x8AO 1\x90l"),
            std::string::npos)
      << method;

  // Density: y / x * 1000; the woman with x = 0 and the man without x have
  // none, the person of sex 3 has one.
  const double densityByHand[] = {30.0 / 1000 * 1000, 50.0 / 2000 * 1000, 90.0 / 3000 * 1000,
                                  40.0 / 1500 * 1000, 60.0 / 2500 * 1000, 70.0 / 2000 * 1000,
                                  0, 80.0 / 2000 * 1000, 0, 0};
  std::vector<Person> densities = persons;
  for (size_t p = 0; p < densities.size(); ++p) {
    densities[p].nutrient = densityByHand[p] > 0 ? Exactly(densityByHand[p]) : "";
  }
  const std::vector<std::string> density =
      Block(Report(file, Adjusted(EnergyAdjustmentMethod::density), {6}), "y\x81i");
  const std::vector<std::string> expectedDensity =
      Block(Report(dir.Write("density.csv", File(densities)), Adjusted(EnergyAdjustmentMethod::none),
                {6}),
            "y");
  ASSERT_EQ(density.size(), expectedDensity.size() + 1);
  for (size_t i = 1; i < expectedDensity.size(); ++i) EXPECT_EQ(density[i], expectedDensity[i]) << i;
  // …エネルギーが欠損または0以下 2人
  EXPECT_NE(density.back().find("0\x88\xC8\x89\xBA 2\x90l"), std::string::npos) << density.back();
}

// Two strata of two units (unit codes repeated across strata), men only:
//   stratum 1: unit 1 (y 2, x 4; y 3, x 2), unit 2 (y 1, x 2, weight 2);
//   stratum 2: unit 1 (y 4, x 4), unit 2 (y 2, x 4; y missing, x 3).
// R = 13 / 18. The units' totals of w (y - R x) are 2/3, -8/9 and 10/9, -8/9;
// around their strata's means -1/9 and 1/9 they deviate by +-7/9 and +-1, so
// v = (1/18^2) * 2 * (98/81 + 2) = 520 / (81 * 324), SE = sqrt(520) / 162.
// With 4 - 2 = 2 degrees of freedom t(0.975) = 0.95 / sqrt(2 * 0.975 *
// 0.025). A woman whose x is 0 has no ratio.
TEST(RatioOfTotals, RatioAndLinearisedErrorUnderStrataAndUnits) {
  const std::vector<Person> persons = {
      {"1", "1", "1", "1", "2", "4"}, {"1", "1", "1", "1", "3", "2"}, {"1", "2", "1", "2", "1", "2"},
      {"2", "1", "1", "1", "4", "4"}, {"2", "2", "1", "1", "2", "4"}, {"2", "2", "1", "1", "", "3"},
      {"2", "2", "2", "1", "1", "0"},
  };
  TempDir dir;
  DesignOptions design;
  design.confidenceInterval = design.coefficientOfVariation = true;
  design.ratios = {{6, 7}};
  const std::vector<std::string> lines = Report(dir.Write("survey.csv", File(persons)), design, {});
  // 【y/x（比の推定）】
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines[0], HeaderLine("y/x\x81i\x94\xE4\x82\xCC\x90\x84\x92\xE8\x81j"));
  const double ratio = 13.0 / 18;
  const double se = std::sqrt(520.0) / 162;
  const double t = 0.95 / std::sqrt(2 * 0.975 * 0.025);
  EXPECT_EQ(LineOf(lines, kMaleTotal),
            ",5,1," + FormatNumber(ratio) + "," + FormatNumber(se) + "," +
                FormatNumber(ratio - t * se) + "," + FormatNumber(ratio + t * se) + "," +
                FormatNumber(100 * se / ratio));
  EXPECT_EQ(LineOf(lines, kFemaleTotal), ",1,0,,");
  // 層の数：2、抽出単位の数：4、自由度：2
  EXPECT_EQ(lines[lines.size() - 3],
            "\"\x91w\x82\xCC\x90\x94\x81" "F2\x81" "A\x92\x8A\x8Fo\x92P\x88\xCA\x82\xCC\x90\x94"
            "\x81" "F4\x81" "A\x8E\xA9\x97R\x93x\x81" "F2\"");
}

}  // namespace
}  // namespace kelvara::testing
