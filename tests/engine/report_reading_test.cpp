// Report lines read back into blocks: every field of kelvara-tab's reports
// for the example survey under all four schemes, names that hold CSV's own
// characters, and a block with the extra design columns.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/block_scheme.h"
#include "engine/report_format.h"
#include "engine/report_reading.h"
#include "engine/text_blocks.h"
#include "tests/hostile/tab_process.h"
#include "tests/support/report_fields.h"
#include "tests/support/temp_dir.h"

namespace kelvara {
namespace {

const char* const kSchemeNames[] = {"table1", "table2", "part5", "category"};
const SchemeId kSchemes[] = {SchemeId::table1, SchemeId::table2, SchemeId::part5,
                             SchemeId::category};

// The report's lines as the results pane holds them: line ends and CR removed.
std::vector<std::string> Lines(const std::string& report) {
  std::vector<std::string> lines;
  LineCursor cursor(report);
  for (std::string_view line; cursor.Next(line);) lines.emplace_back(line);
  return lines;
}

// kelvara-tab on the example survey, every nutrient column (6 to 13).
std::string ExampleReport(int scheme, bool withUnits) {
  std::vector<std::string> args = {"--sex", "2", "--pregnancy", "4", "--weight", "5",
                                   "--scheme", kSchemeNames[scheme],
                                   "--age", scheme == 3 ? "14" : "3"};
  if (withUnits) args.insert(args.end(), {"--unit", "1"});
  args.push_back(KELVARA_EXAMPLE_SURVEY);
  for (int column = 6; column <= 13; ++column) args.push_back(std::to_string(column));
  const hostile::TabOutcome run = hostile::RunTab(args);
  EXPECT_EQ(run.status, 0) << run.err;
  return run.out;
}

// Every field of every group line reads back to the number printed there.
void ExpectFieldsReadBack(const ReportBlock& block, const std::vector<std::string>& lines,
                          size_t firstGroupLine) {
  for (size_t g = 0; g < block.groups.size(); ++g) {
    const std::string& line = lines[firstGroupLine + g];
    const std::vector<std::string> fields = testing::ReportFields(line);
    const ReportGroupLine& group = block.groups[g];
    ASSERT_EQ("\"" + group.label + "\"", fields[0]) << line;
    ASSERT_EQ(group.values.size(), fields.size() - 1);
    for (size_t c = 0; c < block.titles.size(); ++c) {
      const std::string printed = c + 1 < fields.size() ? fields[c + 1] : "";
      const std::optional<double> value = block.Value(group, block.titles[c]);
      ASSERT_EQ(value ? FormatNumber(*value) : "", printed) << "column " << c + 1 << " of " << line;
    }
  }
}

TEST(ReportReading, EveryFieldOfEverySchemeReadsBack) {
  const std::vector<std::string> fixedTitles = [] {
    std::vector<std::string> titles = testing::ReportFields(ColumnTitleLine());
    for (std::string& title : titles) title = title.substr(1, title.size() - 2);
    titles.erase(titles.begin());
    return titles;
  }();
  for (int scheme = 0; scheme < 4; ++scheme) {
    SCOPED_TRACE(kSchemeNames[scheme]);
    const std::vector<std::string> lines = Lines(ExampleReport(scheme, true));
    const std::vector<ReportBlock> blocks = ReadReportBlocks(lines);
    ASSERT_EQ(blocks.size(), 8u);
    const size_t groupCount = SchemeGroups(kSchemes[scheme]).size();
    for (const ReportBlock& block : blocks) {
      // Header, titles, groups, strata line and an empty line, back to back.
      EXPECT_EQ(block.headerLine, (&block - blocks.data()) * (groupCount + 4));
      EXPECT_EQ(HeaderLine(block.name), lines[block.headerLine]);
      EXPECT_EQ(block.titles, fixedTitles);
      ASSERT_EQ(block.groups.size(), groupCount);
      ExpectFieldsReadBack(block, lines, block.headerLine + 2);
      ASSERT_TRUE(block.strata);
      EXPECT_FALSE(block.strata->simpleRandomSampling);
      EXPECT_EQ(block.strata->strata, 15);

      const std::optional<BlockScheme> match = MatchScheme(block);
      ASSERT_TRUE(match);
      EXPECT_EQ(match->scheme, kSchemes[scheme]);
      for (size_t g = 0; g < groupCount; ++g) {
        EXPECT_EQ(match->groups[g], &SchemeGroups(kSchemes[scheme])[g]);
      }
    }
  }
  // Without a sampling-unit column the block ends in the simple-random-sampling note.
  const std::vector<ReportBlock> plain = ReadReportBlocks(Lines(ExampleReport(1, false)));
  ASSERT_EQ(plain.size(), 8u);
  ASSERT_TRUE(plain[7].strata);
  EXPECT_TRUE(plain[7].strata->simpleRandomSampling);
}

TEST(ReportReading, NamesWithCommasQuotesAndTrailByte5C) {
  // Column headers "表,""ソ" and ソ: a comma, a doubled quote, and 表 and ソ,
  // whose second byte is 0x5C, the last of them right before 】.
  const std::string name1 = "\x95\x5C,\"\x83\x5C";
  const std::string name2 = "\x83\x5C";
  std::string survey = "sex,age,preg,\"\x95\x5C,\"\"\x83\x5C\",\x83\x5C\r\n";
  for (int row = 0; row < 30; ++row) {
    survey += std::to_string(1 + row % 2) + "," + std::to_string(row * 3) + ",0," +
              std::to_string(1000 + row * 17) + "," + std::to_string(row) + "\r\n";
  }
  const testing::TempDir dir;
  const hostile::TabOutcome run = hostile::RunTab(
      {"--sex", "1", "--age", "2", "--pregnancy", "3", dir.Write("names.csv", survey), "4", "5"});
  ASSERT_EQ(run.status, 0) << run.err;
  const std::vector<std::string> lines = Lines(run.out);
  const std::vector<ReportBlock> blocks = ReadReportBlocks(lines);
  ASSERT_EQ(blocks.size(), 2u);
  EXPECT_EQ(blocks[0].name, name1);
  EXPECT_EQ(blocks[1].name, name2);
  for (const ReportBlock& block : blocks) {
    ASSERT_EQ(block.groups.size(), 39u);
    ExpectFieldsReadBack(block, lines, block.headerLine + 2);
    EXPECT_TRUE(block.strata && block.strata->simpleRandomSampling);
  }
}

// A real block with the design columns added the way a report asked for them
// prints them: six titles after the fixed ones, their fields after the fixed
// fields of each group with members, and the strata line with units and
// degrees of freedom.
TEST(ReportReading, ExtraColumnsAreFoundByTheirTitles) {
  const std::vector<std::string> plainLines = Lines(ExampleReport(0, true));
  const ReportBlock plain = ReadReportBlocks(plainLines).front();
  std::vector<std::string> lines(plainLines.begin(), plainLines.begin() + 42);
  // 95%信頼区間下限, 95%信頼区間上限, 変動係数(%), デザイン効果, 2000未満の割合(%),
  // 2000未満の割合の標準誤差
  lines[1] +=
      ",\"95%\x90M\x97\x8A\x8B\xE6\x8A\xD4\x89\xBA\x8C\xC0\""
      ",\"95%\x90M\x97\x8A\x8B\xE6\x8A\xD4\x8F\xE3\x8C\xC0\""
      ",\"\x95\xCF\x93\xAE\x8CW\x90\x94(%)\",\"\x83" "f\x83U\x83" "C\x83\x93\x8C\xF8\x89\xCA\""
      ",\"2000\x96\xA2\x96\x9E\x82\xCC\x8A\x84\x8D\x87(%)\""
      ",\"2000\x96\xA2\x96\x9E\x82\xCC\x8A\x84\x8D\x87\x82\xCC\x95W\x8F\x80\x8C\xEB\x8D\xB7\"";
  std::vector<double> lower, upper;
  for (size_t g = 0; g < plain.groups.size(); ++g) {
    const double mean = *plain.groups[g].values[2];
    const double se = *plain.groups[g].values[4];
    lower.push_back(mean - 2.131 * se);  // a t quantile, not 1.96
    upper.push_back(mean + 2.131 * se);
    lines[g + 2] += "," + FormatNumber(lower.back()) + "," + FormatNumber(upper.back()) +
                    ",12.5,1.8,40,3.2";
  }
  // 層の数：15、抽出単位の数：45、自由度：30、1単位の層：2
  lines[41] = "\"\x91w\x82\xCC\x90\x94\x81" "F15\x81" "A\x92\x8A\x8Fo\x92P\x88\xCA\x82\xCC"
              "\x90\x94\x81" "F45\x81" "A\x8E\xA9\x97R\x93x\x81" "F30\x81" "A1\x92P\x88\xCA"
              "\x82\xCC\x91w\x81" "F2\"";

  const std::vector<ReportBlock> blocks = ReadReportBlocks(lines);
  ASSERT_EQ(blocks.size(), 1u);
  const ReportBlock& block = blocks.front();
  ASSERT_EQ(block.titles.size(), 22u);
  EXPECT_EQ(block.Column(ColumnTitle(ReportColumn::ciLower)), 16u);
  EXPECT_EQ(block.Column(ColumnTitle(ReportColumn::ciUpper)), 17u);
  ASSERT_EQ(block.groups.size(), plain.groups.size());
  for (size_t g = 0; g < block.groups.size(); ++g) {
    const ReportGroupLine& group = block.groups[g];
    for (size_t c = 0; c < 16; ++c) EXPECT_EQ(group.values[c], plain.groups[g].values[c]);
    EXPECT_EQ(FormatNumber(*block.Value(group, ColumnTitle(ReportColumn::ciLower))),
              FormatNumber(lower[g]));
    EXPECT_EQ(FormatNumber(*block.Value(group, ColumnTitle(ReportColumn::ciUpper))),
              FormatNumber(upper[g]));
    EXPECT_EQ(group.values[21], 3.2);
  }
  ASSERT_TRUE(block.strata);
  EXPECT_EQ(block.strata->strata, 15);
  EXPECT_EQ(block.strata->units, 45);
  EXPECT_EQ(block.strata->degreesOfFreedom, 30);
  EXPECT_EQ(block.strata->singleUnitStrata, 2);

  // Without single-unit strata the line stops after the degrees of freedom;
  // a line that breaks off in between is no strata line.
  const size_t cut = lines[41].find("\x81" "A1");
  lines[41] = lines[41].substr(0, cut) + "\"";
  ASSERT_TRUE(ReadReportBlocks(lines).front().strata);
  EXPECT_EQ(ReadReportBlocks(lines).front().strata->degreesOfFreedom, 30);
  EXPECT_FALSE(ReadReportBlocks(lines).front().strata->singleUnitStrata);
  lines[41] = lines[41].substr(0, lines[41].find("\x81" "A\x8E\xA9")) + "\"";
  EXPECT_FALSE(ReadReportBlocks(lines).front().strata);
}

}  // namespace
}  // namespace kelvara
