// The engine on files it cannot use, and on files at the reader's limits.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/reading/csv_table.h"
#include "engine/tabulation.h"
#include "tests/hostile/report_lines.h"
#include "tests/support/temp_dir.h"

namespace kelvara::hostile {
namespace {

struct Outcome {
  RunStatus status;
  std::vector<std::string> lines;
};

Outcome Tabulate(const std::string& file, ColumnChoice columns, std::vector<int> variables) {
  RunRequest request{file, columns, std::move(variables), SchemeId::table1, {}, {}, {}};
  Outcome outcome{RunStatus::ok, {}};
  outcome.status = TabulateVariables(
      request, [&](std::string_view line) { outcome.lines.emplace_back(line); });
  return outcome;
}

const ColumnChoice kPlain = {-1, 0, 1, 2, -1};

// Table 1 blocks: header, titles, 39 groups, strata line, empty line.
constexpr size_t kTable1BlockSize = 43;

// n, missing and (when n > 0) the mean of "男女総数", the Table 1 group of
// every record, in block `block`.
std::string EveryoneCounts(const std::vector<std::string>& lines, size_t block) {
  const size_t line = block * kTable1BlockSize + 2 + 26;
  if (line >= lines.size()) return "(no line)";
  const std::vector<std::string> fields = ReportFields(lines[line]);
  std::string text = fields[1] + "," + fields[2];
  if (fields.size() > 3) text += "," + fields[3];
  return text;
}

TEST(HostileEngine, RunsThatCannotStartHandNothingOver) {
  const testing::TempDir dir;
  const std::string good = dir.Write("good.csv", "sex,age,preg,val\n1,30,0,5\n");
  struct Case {
    std::string file;
    ColumnChoice columns;
    std::vector<int> variables;
    RunStatus status;
  };
  std::vector<Case> cases = {
      {dir.PathOf("absent.csv"), kPlain, {3}, RunStatus::cannotOpen},
      {dir.PathOf(""), kPlain, {3}, RunStatus::cannotOpen},  // a directory
      {dir.Write("empty.csv", ""), kPlain, {3}, RunStatus::noHeaderRow},
      {dir.Write("blank.csv", " , ,\r\n\"\"\r\n\t\r\n"), kPlain, {3}, RunStatus::noHeaderRow},
      {dir.Write("mark.csv", "\x1A" "sex,age\n1,2\n"), kPlain, {3}, RunStatus::noHeaderRow},
      {good, {-2, 0, 1, 2, -1}, {3}, RunStatus::invalidColumn},
      {good, {-1, -1, 1, 2, -1}, {3}, RunStatus::invalidColumn},
      {good, {-1, 0, 1, 2, -5}, {3}, RunStatus::invalidColumn},
      {good, kPlain, {3, -1}, RunStatus::invalidColumn},
  };
#ifndef _WIN32
  // Reading /proc/self/mem from its start fails with an input error.
  cases.push_back({"/proc/self/mem", kPlain, {3}, RunStatus::readError});
#endif
  for (const Case& c : cases) {
    const Outcome outcome = Tabulate(c.file, c.columns, c.variables);
    EXPECT_EQ(outcome.status, c.status) << c.file;
    EXPECT_TRUE(outcome.lines.empty()) << c.file;
  }
}

// Rows of 2,000 cells: the reader keeps the first 1,024, and a column beyond
// them reads as empty, so every row is missing for it.
TEST(HostileEngine, ColumnsBeyondTheReaderLimitAreEmpty) {
  std::string text;
  for (int row = 0; row < 3; ++row) {
    text += row == 0 ? "sex,age,preg" : row == 1 ? "1,30,0" : "2,40,0";
    for (int column = 4; column <= 2000; ++column) {
      text += std::string(row == 0 ? ",c" : ",") + std::to_string(column);
    }
    text += "\n";
  }
  const testing::TempDir dir;
  const std::string file = dir.Write("wide.csv", text);

  CsvTable table;
  ASSERT_TRUE(table.Open(file));
  table.Scan();
  EXPECT_EQ(table.maxCellCount(), CsvTable::kScanCellLimit);
  ASSERT_EQ(table.ReadRow(), CsvTable::kRowCellLimit);
  EXPECT_EQ(table.cell(1023), "c1024");
  EXPECT_EQ(table.cell(1024), "");

  const Outcome outcome = Tabulate(file, kPlain, {1023, 1024, 1499});
  ASSERT_EQ(outcome.status, RunStatus::ok);
  ASSERT_EQ(outcome.lines.size(), 3 * kTable1BlockSize);
  EXPECT_EQ(outcome.lines[0], "\"\x81y" "c1024\x81z\"");
  EXPECT_EQ(outcome.lines[kTable1BlockSize], "\"\x81y\x81z\"");  // no header cell, no name
  EXPECT_EQ(EveryoneCounts(outcome.lines, 0), "2,0,1024");
  EXPECT_EQ(EveryoneCounts(outcome.lines, 1), "0,2");
  EXPECT_EQ(EveryoneCounts(outcome.lines, 2), "0,2");
}

// A number of 100 million digits lies beyond the range of a double: the cell
// is not usable, and reading it does not take long.
TEST(HostileEngine, HundredMillionDigitNumberIsNotUsable) {
  const testing::TempDir dir;
  const std::string file = dir.Write(
      "long.csv", "sex,age,preg,val\n1,30,0," + std::string(100'000'000, '9') + "\n2,40,0,7\n");
  const Outcome outcome = Tabulate(file, kPlain, {3});
  ASSERT_EQ(outcome.status, RunStatus::ok);
  EXPECT_EQ(EveryoneCounts(outcome.lines, 0), "1,1,7");
}

}  // namespace
}  // namespace kelvara::hostile
