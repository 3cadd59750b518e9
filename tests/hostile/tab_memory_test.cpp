// kelvara-tab when memory runs short: a clear message and a failed status,
// nothing half-written, and no failure where the work still fits.
#include <gtest/gtest.h>

#include <string>

#include "tests/hostile/report_lines.h"
#include "tests/support/temp_dir.h"
#include "tests/hostile/tab_process.h"

namespace kelvara::hostile {
namespace {

constexpr unsigned long kMegabyte = 1024 * 1024;
const std::string kOutOfMemory =
    "kelvara-tab: out of memory: the survey data file is too large for this machine\n";

const std::vector<std::string> kColumns = {"--unit", "1", "--weight", "6", "--sex", "2",
                                           "--age", "3", "--pregnancy", "4"};

std::vector<std::string> Args(std::vector<std::string> extra) {
  std::vector<std::string> args = kColumns;
  args.insert(args.end(), extra.begin(), extra.end());
  return args;
}

// A survey file of `rows` respondents, one sampling unit in fifty.
std::string SurveyFile(size_t rows) {
  std::string text = "unit,sex,age,preg,value,weight\n";
  text.reserve(text.size() + rows * 24);
  for (size_t i = 0; i < rows; ++i) {
    text += std::to_string(i % 50) + "," + std::to_string(1 + i % 2) + "," +
            std::to_string(i % 90) + ",0," + std::to_string(i % 1000) + ".5,1.5\n";
  }
  return text;
}

TEST(HostileMemory, PersonTableTooLargeIsAMessageAndNothingWritten) {
  const testing::TempDir dir;
  const std::string file = dir.Write("large.csv", SurveyFile(1500000));
  const std::string target = dir.Write("report.csv", "an earlier report\r\n");

  const TabOutcome outcome = RunTab(Args({"-o", target, file, "5"}), 64 * kMegabyte);
  EXPECT_EQ(outcome.signal, 0);
  EXPECT_EQ(outcome.status, 1);
  EXPECT_EQ(outcome.err, kOutOfMemory);
  EXPECT_EQ(testing::ReadBytes(target), "an earlier report\r\n");
  EXPECT_EQ(dir.EntryCount(), 2u) << "a temporary file was left beside the report";

  // The same limit holds a file of ordinary size.
  const std::string ordinary = dir.Write("ordinary.csv", SurveyFile(2000));
  const TabOutcome fits = RunTab(Args({"--utf8", ordinary, "5"}), 64 * kMegabyte);
  EXPECT_EQ(fits.status, 0) << fits.err;
  EXPECT_EQ(Counts(ReportLines(fits.out), "男女総数"), "2000,0");
}

// Worker threads need room too (a stack each, and their share of the file
// being read). Whatever the limit, a run either gives the whole report or
// says it ran out of memory: a thread that cannot be started is no reason to
// fail, and never a message of its own.
TEST(HostileMemory, EveryLimitGivesTheReportOrTheOutOfMemoryMessage) {
  const testing::TempDir dir;
  const std::string file = dir.Write("small.csv", SurveyFile(40));
  const std::vector<std::string> args = Args({"--utf8", file, "5", "3", "5", "2"});
  const TabOutcome unlimited = RunTab(args);
  ASSERT_EQ(unlimited.status, 0) << unlimited.err;

  // The dynamic loader maps the program's shared libraries (libxlsxwriter
  // brings libcrypto) before any of its code runs: the limits begin where
  // the program starts at all, as its --help shows.
  unsigned long starts = 8;
  while (starts < 64 && RunTab({"--help"}, starts * kMegabyte).status != 0) starts += 4;
  int reports = 0;
  for (unsigned long megabytes = starts; megabytes <= 64; megabytes += 4) {
    const TabOutcome limited = RunTab(args, megabytes * kMegabyte);
    EXPECT_EQ(limited.signal, 0) << megabytes << " MB";
    if (limited.status == 0) {
      ++reports;
      EXPECT_TRUE(limited.out == unlimited.out) << megabytes << " MB: the report differs";
    } else {
      EXPECT_EQ(limited.status, 1) << megabytes << " MB";
      EXPECT_EQ(limited.err, kOutOfMemory) << megabytes << " MB";
      EXPECT_EQ(limited.out, "") << megabytes << " MB";
    }
  }
  EXPECT_GT(reports, 0) << "no limit up to 64 MB holds a 40-row run";
}

}  // namespace
}  // namespace kelvara::hostile
