// The yardsticks of the fuzz checks: a fuzzer is only as good as what it
// compares against, so the reference rows and the group nesting are tested on
// cases whose answer is known.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fuzz/group_nesting.h"
#include "fuzz/reference_rows.h"
#include "fuzz/tabulation_check.h"

namespace kelvara::fuzz {
namespace {

using Cells = std::vector<std::string>;

std::vector<Cells> CellsOf(std::string_view bytes, int limit = 1024) {
  std::vector<Cells> rows;
  for (const ReferenceRow& row : ReferenceRows(bytes, limit)) rows.push_back(row.cells);
  return rows;
}

TEST(FuzzReferenceRows, SplitAsTheReaderRulesSay) {
  EXPECT_EQ(CellsOf("a,b,\n"), (std::vector<Cells>{{"a", "b", ""}}));
  EXPECT_EQ(CellsOf(",a\n"), (std::vector<Cells>{{"", "a"}}));
  EXPECT_EQ(CellsOf("a,,b\n"), (std::vector<Cells>{{"a", "", "b"}}));
  EXPECT_EQ(CellsOf(" a , b \n"), (std::vector<Cells>{{"a", "b"}}));
  EXPECT_EQ(CellsOf("\"x,y\",z\n"), (std::vector<Cells>{{"x,y", "z"}}));
  EXPECT_EQ(CellsOf("\"a\"\"b\"\n"), (std::vector<Cells>{{"a\"b"}}));
  EXPECT_EQ(CellsOf("\"ab\"cd,e\n"), (std::vector<Cells>{{"ab", "cd", "e"}}));
  EXPECT_EQ(CellsOf("\"abc\n"), (std::vector<Cells>{{"abc"}}));
  EXPECT_EQ(CellsOf("\"  ab  \"\n"), (std::vector<Cells>{{"  ab"}}));
}

TEST(FuzzReferenceRows, TextModeAndBlankLines) {
  EXPECT_EQ(CellsOf(" , ,\r\n\"\"\r\n\t\r\na\r,b\r\n\r\n"), (std::vector<Cells>{{"a", "b"}}));
  EXPECT_EQ(CellsOf("a\nb\x1A" "c\nd\n"), (std::vector<Cells>{{"a"}, {"b"}}));
  EXPECT_EQ(CellsOf("\x82\xA0\n"), (std::vector<Cells>{{"\x82\xA0"}}));  // Japanese text is content
  EXPECT_EQ(CellsOf("last line without end"), (std::vector<Cells>{{"last line without end"}}));
  EXPECT_TRUE(CellsOf("").empty());

  std::string wide;
  for (int i = 0; i < 300; ++i) wide += std::to_string(i) + ",";
  EXPECT_EQ(CellsOf(wide, 256).front().size(), 256u);
  EXPECT_EQ(CellsOf(wide).front().size(), 301u);
}

TEST(FuzzGroupNesting, CountsThatDoNotAddUpAreCaught) {
  std::vector<GroupCount> table1(39);
  EXPECT_EQ(CheckGroupNesting(0, table1), "");
  table1[10].n = 1;  // 男(再掲)20以上 with nobody in 男20～29 ... 男70以上
  EXPECT_NE(CheckGroupNesting(0, table1), "");
  table1[4].n = 1;   // now a man in 男20～29, but not in 男総数 nor 男女20～29
  EXPECT_NE(CheckGroupNesting(0, table1), "");
  table1[0].n = table1[26].n = table1[30].n = table1[36].n = 1;
  EXPECT_EQ(CheckGroupNesting(0, table1), "");

  std::vector<GroupCount> part5(29);
  part5[23].nMissing = 1;  // a pregnant woman missing, not in 女小計
  EXPECT_NE(CheckGroupNesting(2, part5), "");
  EXPECT_NE(CheckGroupNesting(2, std::vector<GroupCount>(28)), "");
}

// The statuses of runs that produce no report, as the check expects them.
TEST(FuzzTabulationCheck, RunsWithoutReport) {
  const std::string refused = std::string("\0\xFF\xFE\x01\x02\xFF\x03\x03", 8);
  const std::string accepted = std::string("\0\xFF\x00\x01\x02\xFF\x03\x03", 8);
  EXPECT_EQ(CheckTabulation(refused + "a,b,c,d\n1,2,3,4\n"), "");
  EXPECT_EQ(CheckTabulation(accepted + "a,b,c,d\n"), "");
  EXPECT_EQ(CheckTabulation(accepted + " ,\n\"\"\n"), "");
  EXPECT_EQ(CheckTabulation(""), "");
}

}  // namespace
}  // namespace kelvara::fuzz
