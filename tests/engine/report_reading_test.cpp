// Report lines read back into blocks: every field of kelvara-tab's reports
// for the example survey under all four schemes, names that hold CSV's own
// characters, and a block with the extra design columns.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/report/block_scheme.h"
#include "engine/report/report_format.h"
#include "engine/report/report_reading.h"
#include "engine/reading/text_blocks.h"
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

// kelvara-tab's report with every design column: the six added titles are
// found after the fixed ones, every field reads back to the number printed,
// and the strata line gives strata, units and degrees of freedom. The strata
// line's other form, with single-unit strata, comes from the report writer.
TEST(ReportReading, DesignColumnsAreFoundByTheirTitles) {
  const hostile::TabOutcome run = hostile::RunTab(
      {"--unit", "1", "--strata", "2", "--sex", "2", "--age", "3", "--pregnancy", "4",
       "--weight", "5", "--ci", "--cv", "--deff", "--below", "2000", KELVARA_EXAMPLE_SURVEY,
       "6", "10"});
  ASSERT_EQ(run.status, 0) << run.err;
  std::vector<std::string> lines = Lines(run.out);
  const std::vector<ReportBlock> blocks = ReadReportBlocks(lines);
  ASSERT_EQ(blocks.size(), 2u);
  for (const ReportBlock& block : blocks) {
    ASSERT_EQ(block.titles.size(), 22u);
    EXPECT_EQ(block.Column(ColumnTitle(ReportColumn::ciLower)), 16u);
    EXPECT_EQ(block.Column(ColumnTitle(ReportColumn::ciUpper)), 17u);
    ASSERT_EQ(block.groups.size(), 39u);
    ExpectFieldsReadBack(block, lines, block.headerLine + 2);
    // Two sexes as strata over the 15 districts: 30 units, 28 degrees of freedom.
    ASSERT_TRUE(block.strata);
    EXPECT_EQ(block.strata->strata, 2);
    EXPECT_EQ(block.strata->units, 30);
    EXPECT_EQ(block.strata->degreesOfFreedom, 28);
    EXPECT_FALSE(block.strata->singleUnitStrata);
  }

  const size_t strataLine = blocks[0].headerLine + 41;
  lines[strataLine] = StrataLine(DesignCounts{15, 45, 2});
  const std::optional<StrataNote> withSingles = ReadReportBlocks(lines).front().strata;
  ASSERT_TRUE(withSingles);
  EXPECT_EQ(withSingles->strata, 15);
  EXPECT_EQ(withSingles->units, 45);
  EXPECT_EQ(withSingles->degreesOfFreedom, 30);
  EXPECT_EQ(withSingles->singleUnitStrata, 2);
  // A line that breaks off after the number of units is no strata line.
  const std::string full = StrataLine(DesignCounts{15, 45, 0});
  lines[strataLine] = full.substr(0, full.find("45") + 2) + "\"";
  EXPECT_FALSE(ReadReportBlocks(lines).front().strata);
}

// Judged against a reference table with the median's interval: the ten
// added titles after the fixed ones, every field read back, and the line
// naming the table after the strata line, before the next block.
TEST(ReportReading, JudgedColumnsAndTheReferenceLineAreRead) {
  const hostile::TabOutcome run = hostile::RunTab(
      {"--unit", "1", "--sex", "2", "--age", "3", "--pregnancy", "4", "--weight", "5",
       "--median-ci", "--reference", KELVARA_TEST_REFERENCE, "--menstruation", "yes",
       KELVARA_EXAMPLE_SURVEY, "12", "10", "6"});
  ASSERT_EQ(run.status, 0) << run.err;
  const std::vector<std::string> lines = Lines(run.out);
  const std::vector<ReportBlock> blocks = ReadReportBlocks(lines);
  ASSERT_EQ(blocks.size(), 3u);
  for (const ReportBlock& block : blocks) {
    ASSERT_EQ(block.titles.size(), 30u);
    EXPECT_EQ(block.Column(ColumnTitle(ReportColumn::medianLower)), 16u);
    EXPECT_EQ(block.Column(ColumnTitle(ReportColumn::medianUpper)), 17u);
    EXPECT_EQ(block.Column(ColumnTitle(ReportColumn::earPersons)), 18u);
    EXPECT_EQ(block.Column(ColumnTitle(ReportColumn::earShare)), 19u);
    EXPECT_EQ(block.Column(ColumnTitle(ReportColumn::dgPersons)), 27u);
    EXPECT_EQ(block.Column(ColumnTitle(ReportColumn::dgShareSe)), 29u);
    ASSERT_EQ(block.groups.size(), 39u);
    ExpectFieldsReadBack(block, lines, block.headerLine + 2);
    ASSERT_TRUE(block.strata);
    ASSERT_TRUE(block.reference);
    EXPECT_EQ(block.reference->table, "\x8E\x8E\x8C\xB1\x97p\x82\xCC\x8A\xEE\x8F\x80\x92l\x95\\");
    EXPECT_EQ("\"" + block.reference->text + "\"", lines[block.headerLine + 42]);
  }
  // Iron has an EAR and a UL, salt a DG, energy no nutrient at all; the
  // persons judged are counted for what the table gives.
  const ReportGroupLine& men = blocks[0].groups[0];
  EXPECT_TRUE(blocks[0].Value(men, ColumnTitle(ReportColumn::earShare)));
  EXPECT_TRUE(blocks[0].Value(men, ColumnTitle(ReportColumn::earPersons)));
  EXPECT_FALSE(blocks[0].Value(men, ColumnTitle(ReportColumn::dgShare)));
  EXPECT_FALSE(blocks[0].Value(men, ColumnTitle(ReportColumn::dgPersons)));
  EXPECT_TRUE(blocks[1].Value(blocks[1].groups[0], ColumnTitle(ReportColumn::dgShare)));
  EXPECT_FALSE(blocks[2].Value(blocks[2].groups[0], ColumnTitle(ReportColumn::earShare)));
  // The nutrient each line names, none for energy (対応なし).
  EXPECT_EQ(blocks[0].reference->nutrient, "iron");
  EXPECT_EQ(blocks[1].reference->nutrient, "salt");
  EXPECT_EQ(blocks[2].reference->nutrient, "");
}

}  // namespace
}  // namespace kelvara
