// The benchmark survey files: same bytes for the same arguments, and a layout
// that the engine reads as the benchmarks assume (columns, codes, missing cells).
#include "bench/synthetic_survey.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <string_view>

#include <unistd.h>

#include "engine/reading/cell_number.h"
#include "engine/reading/csv_table.h"

namespace kelvara::bench {
namespace {

class SyntheticSurveyTest : public ::testing::Test {
 protected:
  void TearDown() override { std::remove(path_.c_str()); }

  // Writes a file of the given shape and returns its bytes.
  std::string Generate(const SurveyShape& shape) {
    std::FILE* out = std::fopen(path_.c_str(), "wb");
    EXPECT_NE(out, nullptr);
    if (out == nullptr) return {};
    EXPECT_TRUE(WriteSyntheticSurvey(shape, out));
    std::fclose(out);
    std::ifstream in(path_, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

  std::string path_ = (std::filesystem::temp_directory_path() /
                       ("kelvara-synthetic-" + std::to_string(::getpid()) + ".csv"))
                          .string();
};

SurveyShape SmallShape() {
  SurveyShape shape;
  shape.rows = 20000;
  shape.variables = 25;
  shape.units = 40;
  return shape;
}

// Digits after the decimal point of a cell such as "12.34".
size_t Decimals(std::string_view cell) {
  const size_t point = cell.find('.');
  return point == std::string_view::npos ? 0 : cell.size() - point - 1;
}

TEST_F(SyntheticSurveyTest, SameArgumentsGiveSameBytesAndTheSeedChangesThem) {
  const std::string first = Generate(SmallShape());
  EXPECT_EQ(Generate(SmallShape()), first);
  SurveyShape reseeded = SmallShape();
  reseeded.seed += 1;
  const std::string other = Generate(reseeded);
  EXPECT_EQ(other.substr(0, other.find('\n')), first.substr(0, first.find('\n')));
  EXPECT_NE(other, first);
}

TEST_F(SyntheticSurveyTest, LinesEndInCarriageReturnLineFeed) {
  const std::string bytes = Generate(SmallShape());
  ASSERT_GE(bytes.size(), 2u);
  EXPECT_EQ(bytes.substr(bytes.size() - 2), "\r\n");
  size_t lines = 0;
  for (size_t i = 0; i < bytes.size(); ++i) {
    if (bytes[i] != '\n') continue;
    ++lines;
    ASSERT_TRUE(i > 0 && bytes[i - 1] == '\r') << "bare line feed at byte " << i;
  }
  EXPECT_EQ(lines, 20001u);
}

TEST_F(SyntheticSurveyTest, HeaderNamesTheColumnsInCodePage932) {
  SurveyShape shape = SmallShape();
  shape.rows = 0;
  // 地区,性別,年齢,妊婦授乳婦,重み,栄養素1,
  const std::string expected =
      "\x92n\x8B\xE6,\x90\xAB\x95\xCA,\x94N\x97\xEE,\x94" "D\x95w\x8E\xF6\x93\xFB\x95w,"
      "\x8F" "d\x82\xDD,\x89h\x97{\x91" "f1,";
  EXPECT_EQ(Generate(shape).substr(0, expected.size()), expected);
  CsvTable table;
  ASSERT_TRUE(table.Open(path_));
  table.Scan();
  EXPECT_EQ(table.rowCount(), 1);
  EXPECT_EQ(table.ReadRow(), 5 + shape.variables);
  EXPECT_EQ(table.cell(5 + shape.variables - 1), "\x89h\x97{\x91" "f25");
}

TEST_F(SyntheticSurveyTest, RowsHoldPlausibleCodesAndAboutHalfAPercentMissingIntakes) {
  const SurveyShape shape = SmallShape();
  Generate(shape);
  CsvTable table;
  ASSERT_TRUE(table.Open(path_));
  table.Scan();
  ASSERT_EQ(table.rowCount(), shape.rows + 1);
  table.ReadRow();

  std::set<int> units;
  int previousUnit = 0;
  int pregnant = 0, lactating = 0, missing = 0, notAvailable = 0;
  while (table.ReadRow() >= 0) {
    ASSERT_EQ(table.cellCount(), 5 + shape.variables);
    const int unit = LeadingInteger(table.cell(kUnitColumn - 1));
    ASSERT_GE(unit, previousUnit) << "rows are sorted by sampling unit";
    ASSERT_LE(unit, shape.units);
    previousUnit = unit;
    units.insert(unit);

    const int sex = LeadingInteger(table.cell(kSexColumn - 1));
    const double age = DecimalValue(table.cell(kAgeColumn - 1));
    const int pregnancy = LeadingInteger(table.cell(kPregnancyColumn - 1));
    ASSERT_TRUE(sex == 1 || sex == 2);
    ASSERT_TRUE(age >= 0 && age <= 100);
    if (pregnancy != 0) {
      ASSERT_TRUE(sex == 2 && age >= 18 && age < 45) << "only women of child-bearing age";
    }
    pregnant += pregnancy == 1;
    lactating += pregnancy == 2;

    const std::string_view weight = table.cell(kWeightColumn - 1);
    ASSERT_EQ(Decimals(weight), 2u);
    ASSERT_TRUE(DecimalValue(weight) >= 0.5 && DecimalValue(weight) <= 3.0) << weight;

    for (int v = 0; v < shape.variables; ++v) {
      const std::string_view cell = table.cell(kFirstNutrientColumn - 1 + v);
      if (cell.empty() || cell == "NA") {
        ++missing;
        notAvailable += cell == "NA";
        continue;
      }
      ASSERT_TRUE(IsValidCell(cell)) << cell;
      ASSERT_TRUE(Decimals(cell) == 1 || Decimals(cell) == 2) << cell;
      ASSERT_GT(DecimalValue(cell), 0.0) << cell;
    }
  }
  EXPECT_EQ(units.size(), static_cast<size_t>(shape.units));
  EXPECT_GT(pregnant, 0);
  EXPECT_GT(lactating, 0);
  const double cells = static_cast<double>(shape.rows) * shape.variables;
  EXPECT_NEAR(missing / cells, 0.005, 0.0015);
  EXPECT_GT(notAvailable, 0);
  EXPECT_LT(notAvailable, missing);
}

TEST(SyntheticSurveyWriteTest, ReportsAFailedWrite) {
  std::FILE* full = std::fopen("/dev/full", "wb");
  if (full == nullptr) GTEST_SKIP() << "no /dev/full on this system";
  SurveyShape shape = SmallShape();
  shape.rows = 1000;
  EXPECT_FALSE(WriteSyntheticSurvey(shape, full));
  std::fclose(full);
}

}  // namespace
}  // namespace kelvara::bench
