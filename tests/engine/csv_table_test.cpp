// The survey file reader: blank lines, quoting, trimming, text mode, limits.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/reading/csv_line.h"
#include "engine/reading/csv_table.h"
#include "tests/support/temp_dir.h"

namespace kelvara {
namespace {

std::vector<std::string> Split(std::string_view line, int limit = CsvTable::kRowCellLimit) {
  std::string text;
  std::vector<std::string_view> cells;
  SplitLine(line, limit, text, cells);
  return {cells.begin(), cells.end()};
}

using Cells = std::vector<std::string>;

// All rows of a file, as ReadRow returns them after Scan.
struct ReadResult {
  int rowCount = -1;
  int maxCellCount = -1;
  std::vector<Cells> rows;
};

ReadResult ReadAll(std::string_view bytes) {
  testing::TempDir dir;
  CsvTable table;
  EXPECT_TRUE(table.Open(dir.Write("data.csv", bytes)));
  table.Scan();
  ReadResult result{table.rowCount(), table.maxCellCount(), {}};
  while (table.ReadRow() >= 0) {
    result.rows.emplace_back(table.cells().begin(), table.cells().end());
  }
  EXPECT_EQ(table.ReadRow(), -1) << "reading past the end keeps giving -1";
  EXPECT_EQ(static_cast<int>(result.rows.size()), result.rowCount)
      << "Scan counts exactly the rows ReadRow returns";
  return result;
}

TEST(SplitLine, EmptyCellsAtEitherEndAndInTheMiddle) {
  EXPECT_EQ(Split("a,b,"), (Cells{"a", "b", ""}));
  EXPECT_EQ(Split(",a"), (Cells{"", "a"}));
  EXPECT_EQ(Split("a,,b"), (Cells{"a", "", "b"}));
}

TEST(SplitLine, SpacesAroundCellsAreDropped) {
  EXPECT_EQ(Split(" a , b "), (Cells{"a", "b"}));
  EXPECT_EQ(Split("a\t,b"), (Cells{"a\t", "b"})) << "only 0x20 counts as a space";
}

TEST(SplitLine, QuotedCells) {
  EXPECT_EQ(Split("\"x,y\",z"), (Cells{"x,y", "z"}));
  EXPECT_EQ(Split("\"say \"\"hi\"\"\""), (Cells{"say \"hi\""}));
  EXPECT_EQ(Split("\"ab\"cd,e"), (Cells{"ab", "cd", "e"})) << "text after a closing quote";
  EXPECT_EQ(Split("\"abc"), (Cells{"abc"})) << "an unclosed quote runs to the line end";
  EXPECT_EQ(Split("\"  ab  \""), (Cells{"  ab"})) << "trailing spaces go, leading stay";
  EXPECT_EQ(Split("\"\",b"), (Cells{"", "b"}));
}

TEST(SplitLine, ShiftJisCharactersStayWhole) {
  // 表 (0x95 0x5C) and ソ (0x83 0x5C) end in the byte of a backslash; 【 is
  // 0x81 0x79. None of their bytes may split or end a cell.
  const std::string line = "\x95\x5C,\"\x83\x5C\x81y\",\x82\xA0 ";
  EXPECT_EQ(Split(line), (Cells{"\x95\x5C", "\x83\x5C\x81y", "\x82\xA0"}));
}

TEST(SplitLine, LeadByteAtTheEndOfTheLineIsCopiedAlone) {
  EXPECT_EQ(Split("a,\x82"), (Cells{"a", "\x82"}));
  EXPECT_EQ(Split("\"\x82"), (Cells{"\x82"}));
}

TEST(SplitLine, CellLimitDropsTheRest) {
  EXPECT_EQ(Split("a,b,c,d", 2), (Cells{"a", "b"}));
}

TEST(BlankLine, OnlySeparatorsQuotesAndControlBytesAreBlank) {
  EXPECT_TRUE(IsBlankLine(""));
  EXPECT_TRUE(IsBlankLine(" \t,,,\"\""));
  EXPECT_TRUE(IsBlankLine(std::string("\x01\x1F \0", 4)));
  EXPECT_FALSE(IsBlankLine(" ,x"));
  EXPECT_FALSE(IsBlankLine("\x7F"));
  // A header made only of Japanese names (no byte in 0x21..0x7F) is a row.
  EXPECT_FALSE(IsBlankLine("\x90\xAB,\x94N\x97\xEE"));
  EXPECT_FALSE(IsBlankLine("\x82\xA0"));
}

TEST(CsvTable, EmptyAndBlankFilesHaveNoRows) {
  for (std::string_view bytes : {"", "\n\n", " , ,\r\n\"\"\n\t\n"}) {
    const ReadResult r = ReadAll(bytes);
    EXPECT_EQ(r.rowCount, 0);
    EXPECT_EQ(r.maxCellCount, 0);
  }
}

TEST(CsvTable, BlankLinesAreSkippedWhereverTheyStand) {
  const ReadResult r = ReadAll("\n,,,\nh1,h2\n\n  \n1,2,3\n\"\"\n4\n");
  EXPECT_EQ(r.rowCount, 3);
  EXPECT_EQ(r.maxCellCount, 3);
  EXPECT_EQ(r.rows, (std::vector<Cells>{{"h1", "h2"}, {"1", "2", "3"}, {"4"}}));
}

TEST(CsvTable, TextModeDropsCarriageReturnsAndStopsAt1A) {
  EXPECT_EQ(ReadAll("a,b\r\nc\r,d\r\n").rows, ReadAll("a,b\nc,d\n").rows);
  EXPECT_EQ(ReadAll("a\nb\x1A" "c\nd\n").rows, (std::vector<Cells>{{"a"}, {"b"}}));
  EXPECT_EQ(ReadAll("\x1A" "a\n").rowCount, 0);
}

TEST(CsvTable, LastLineWithoutLineFeed) {
  EXPECT_EQ(ReadAll("h\n1,2").rows, (std::vector<Cells>{{"h"}, {"1", "2"}}));
}

TEST(CsvTable, LongLinesAreReadWhole) {
  // A respondent's row never turns into two rows, however long it is.
  std::string line(20000, 'x');
  line[16383] = ',';
  const ReadResult r = ReadAll("h\n" + line + "\nnext\n");
  ASSERT_EQ(r.rowCount, 3);
  EXPECT_EQ(r.rows[1], (Cells{std::string(16383, 'x'), std::string(3616, 'x')}));
  EXPECT_EQ(r.rows[2], (Cells{"next"}));
}

TEST(CsvTable, LinesAcrossTheReadBufferAreJoined) {
  std::string bytes;
  for (int i = 0; i < 40000; ++i) bytes += std::to_string(i) + ",\x82\xA0\x82\xA2,x\r\n";
  const ReadResult r = ReadAll(bytes);
  ASSERT_EQ(r.rowCount, 40000);
  EXPECT_EQ(r.rows[39999], (Cells{"39999", "\x82\xA0\x82\xA2", "x"}));
  for (const Cells& row : r.rows) ASSERT_EQ(row.size(), 3u);
}

TEST(CsvTable, CellLimitsOfScanAndReadRow) {
  auto row = [](int cells) {
    std::string line;
    for (int i = 0; i < cells; ++i) {
      if (i > 0) line += ',';
      line += std::to_string(i);
    }
    return line + "\n";
  };
  ReadResult r = ReadAll(row(3) + row(300));
  EXPECT_EQ(r.maxCellCount, 256) << "Scan counts a row up to 256 cells";
  EXPECT_EQ(r.rows[1].size(), 300u);
  r = ReadAll(row(1100));
  ASSERT_EQ(r.rows[0].size(), 1024u) << "ReadRow keeps the first 1024 cells";
  EXPECT_EQ(r.rows[0][1023], "1023");
}

TEST(CsvTable, CellsBeyondTheRowAreEmpty) {
  testing::TempDir dir;
  CsvTable table;
  ASSERT_TRUE(table.Open(dir.Write("short.csv", "a,b\n")));
  ASSERT_EQ(table.ReadRow(), 2);
  EXPECT_EQ(table.cell(1), "b");
  EXPECT_EQ(table.cell(2), "");
  EXPECT_EQ(table.cell(1000), "");
  EXPECT_EQ(table.cell(-1), "");
}

TEST(CsvTable, MissingFilesAndDirectoriesDoNotOpen) {
  testing::TempDir dir;
  CsvTable table;
  EXPECT_FALSE(table.Open(dir.PathOf("absent.csv")));
  EXPECT_FALSE(table.Open(dir.PathOf("")));
}

TEST(CsvTable, ScanRewindsSoTheHeaderComesFirst) {
  testing::TempDir dir;
  CsvTable table;
  ASSERT_TRUE(table.Open(dir.Write("d.csv", "h\n1\n2\n")));
  table.ReadRow();
  table.ReadRow();
  table.Scan();
  EXPECT_EQ(table.rowCount(), 3);
  ASSERT_EQ(table.ReadRow(), 1);
  EXPECT_EQ(table.cell(0), "h");
}

}  // namespace
}  // namespace kelvara
