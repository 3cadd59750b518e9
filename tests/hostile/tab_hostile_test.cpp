// kelvara-tab on the files that arrive from many hands: truncated, binary,
// in the wrong code page, with numbers no survey should hold. Each gives a
// clear message or a correct report, never a crash.
#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "tests/hostile/report_lines.h"
#include "tests/support/temp_dir.h"
#include "tests/hostile/tab_process.h"

namespace kelvara::hostile {
namespace {

using namespace std::string_literals;

constexpr size_t kTable1Groups = 39;
constexpr size_t kPart5Groups = 29;

// sex, age and pregnant/lactating in the first three columns.
std::vector<std::string> Args(std::vector<std::string> extra) {
  std::vector<std::string> args = {"--sex", "1", "--age", "2", "--pregnancy", "3"};
  args.insert(args.end(), extra.begin(), extra.end());
  return args;
}

// A failed run: its status, one line on standard error, nothing on standard
// output.
void ExpectMessage(const TabOutcome& outcome, int status, const std::string& message) {
  EXPECT_EQ(outcome.signal, 0);
  EXPECT_EQ(outcome.status, status);
  EXPECT_EQ(outcome.err.rfind("kelvara-tab: ", 0), 0u) << outcome.err;
  EXPECT_NE(outcome.err.find(message), std::string::npos) << outcome.err;
  EXPECT_EQ(std::count(outcome.err.begin(), outcome.err.end(), '\n'), 1) << outcome.err;
  EXPECT_EQ(outcome.out, "");
}

// A run that worked, as UTF-8 report lines. Standard error holds at most
// notes (persons in no age band), never a failure.
std::vector<std::string> Report(const TabOutcome& outcome) {
  EXPECT_EQ(outcome.signal, 0);
  EXPECT_EQ(outcome.status, 0) << outcome.err;
  for (size_t start = 0, end; (end = outcome.err.find('\n', start)) != std::string::npos;
       start = end + 1) {
    EXPECT_EQ(outcome.err.compare(start, 19, "kelvara-tab: note: "), 0) << outcome.err;
  }
  EXPECT_TRUE(outcome.err.empty() || outcome.err.back() == '\n') << outcome.err;
  return ReportLines(outcome.out);
}

TEST(HostileTabFiles, FilesWithoutRowsHaveNoHeaderRow) {
  const testing::TempDir dir;
  for (const std::string& bytes : {std::string(), std::string(" , ,\r\n\"\"\r\n\t\r\n"),
                                   std::string("\x1A" "sex,age,preg,val\r\n1,30,0,5\r\n")}) {
    const std::string file = dir.Write("norows.csv", bytes);
    ExpectMessage(RunTab(Args({file, "4"})), 1, "the survey data file " + file + " holds no header row");
  }
}

TEST(HostileTabFiles, SourcesThatCannotBeReadLeaveNoReport) {
  const testing::TempDir dir;
  const std::string target = dir.PathOf("report.csv");
  struct Case {
    std::string file;
    std::string message;
  };
  std::vector<Case> cases = {
      {dir.PathOf("absent.csv"), "cannot open the survey data file"},
      {dir.PathOf(""), "cannot open the survey data file"},  // a directory
  };
#ifndef _WIN32
  // An input error at the start.
  cases.push_back({"/proc/self/mem", "cannot read the survey data file"});
  // chmod does not keep root from reading, so that case needs an ordinary user.
  if (geteuid() != 0) {
    const std::string locked = dir.Write("locked.csv", "sex,age,preg,val\n1,30,0,5\n");
    chmod(locked.c_str(), 0);
    cases.push_back({locked, "cannot open the survey data file"});
  }
#endif
  const size_t entriesBefore = dir.EntryCount();
  for (const Case& c : cases) {
    ExpectMessage(RunTab(Args({"-o", target, c.file, "4"})), 1, c.message);
    EXPECT_EQ(dir.EntryCount(), entriesBefore) << "a report or temporary file was left";
  }
}

TEST(HostileTabFiles, BinaryGarbageGivesAReportOrAMessage) {
  const testing::TempDir dir;
  for (unsigned seed = 1; seed <= 6; ++seed) {
    std::mt19937 random(seed);
    std::string bytes(64 * 1024, '\0');
    for (char& byte : bytes) byte = static_cast<char>(random() & 0xFF);
    const std::string file = dir.Write("garbage.bin", bytes);

    // The first column always exists: a report, every group line well formed.
    const TabOutcome first = RunTab({"--sex", "1", "--age", "1", "--pregnancy", "1", "--utf8",
                                     file, "1"});
    EXPECT_TRUE(AreReportBlocks(Report(first), kTable1Groups)) << "seed " << seed;

    // Further columns may not: a report or a one-line message.
    const TabOutcome wide = RunTab({"--unit", "2", "--weight", "3", "--sex", "4", "--age", "5",
                                    "--pregnancy", "6", "--scheme", "part5", file, "7", "8"});
    EXPECT_EQ(wide.signal, 0) << "seed " << seed;
    if (wide.status == 0) {
      EXPECT_TRUE(AreReportBlocks(ReportLines(wide.out), kPart5Groups)) << "seed " << seed;
    } else {
      ExpectMessage(wide, 2, "does not exist");
    }
  }
}

TEST(HostileTabFiles, NulBytesStayInsideTheirCell) {
  const testing::TempDir dir;
  const std::string file = dir.Write("nul-bytes.csv",
                                     "sex,age,preg,v\0al\n"
                                     "1,3\0" "5,0,7\n"    // age 3: the number ends at the NUL byte
                                     "\0" "1,30,0,9\n"    // a sex cell that starts with NUL holds no number
                                     "2,40,0,1\0" "2\n"s);  // value 1
  const std::vector<std::string> lines = Report(RunTab(Args({"--utf8", file, "4"})));
  EXPECT_EQ(Counts(lines, "男1～6"), "1,0");
  EXPECT_EQ(Counts(lines, "女40～49"), "1,0");
  EXPECT_EQ(Counts(lines, "男女30～39"), "0,1");
  EXPECT_EQ(Counts(lines, "男女総数"), "2,1");
  EXPECT_EQ(GroupFields(lines, "男女総数")[2], "4");

  // The name keeps its NUL byte in the code page 932 report.
  const TabOutcome raw = RunTab(Args({file, "4"}));
  EXPECT_EQ(raw.out.rfind("\"\x81yv\0al\x81z\"\r\n"s, 0), 0u);
}

TEST(HostileTabFiles, OneHundredMegabyteLine) {
  const testing::TempDir dir;
  const std::string file = dir.Write(
      "long.csv", "sex,age,preg,val,note\n1,30,0,5," + std::string(100'000'000, 'x') +
                      "\n2,40,0,7,short\n");
  const std::vector<std::string> lines = Report(RunTab(Args({"--utf8", file, "4", "5"})));
  ASSERT_EQ(lines.size(), 2 * (kTable1Groups + 4));
  EXPECT_EQ(GroupFields(lines, "男女総数"), ReportFields("2,0,6,1.41421,1,5,5,5,5,5,6,7,7,7,7,7"));
  EXPECT_EQ(ReportFields(lines[kTable1Groups + 4 + 2 + 26]), ReportFields("\"男女総数\",0,2"));  // notes are no numbers
}

// Rows of 2,000 columns: a row keeps its first 1,024 cells, so a column number
// beyond them names nothing, and the message must say why rather than claim
// the header row has 1,024 columns.
TEST(HostileTabFiles, TwoThousandColumns) {
  std::string text = "sex,age,preg";
  for (int column = 4; column <= 2000; ++column) text.append(",c").append(std::to_string(column));
  text += "\n1,30,0";
  for (int column = 4; column <= 2000; ++column) text.append(",").append(std::to_string(column));
  text += "\n";
  const testing::TempDir dir;
  const std::string file = dir.Write("wide.csv", text);

  const std::vector<std::string> lines = Report(RunTab(Args({"--utf8", file, "1024", "c1024"})));
  EXPECT_EQ(GroupFields(lines, "男30～39")[2], "1024");
  EXPECT_EQ(lines.size(), 2 * (kTable1Groups + 4));

  for (const std::string beyond : {"1025", "1500"}) {
    ExpectMessage(RunTab(Args({file, beyond})), 2,
                  "analysis variable column " + beyond +
                      " does not exist: only the first 1024 columns of a row are read");
  }
  ExpectMessage(RunTab(Args({file, "c1500"})), 2, "only the first 1024 columns of a row are read");
}

// A double-byte character cut short, at the end of a line and of the file,
// and one whose lead byte stands before a closing quote: no byte after the
// cut is taken into the character, so no cell boundary moves.
TEST(HostileTabFiles, ShiftJisLeadByteAtLineAndFileEnd) {
  const testing::TempDir dir;
  const std::string name = "\x83G\x83l\x83\x8b\x83M\x81[";  // エネルギー
  const std::string file = dir.Write(
      "cut.csv", "sex,age,preg," + name + "\x82\r\n" + "1,30,0,5\x82\r\n" +
                     "\"2\x82\",40,0,7\x81");
  const std::vector<std::string> lines = Report(RunTab(Args({"--utf8", file, "4"})));
  EXPECT_EQ(Counts(lines, "男総数"), "1,0");
  EXPECT_EQ(Counts(lines, "女総数"), "1,0");
  EXPECT_EQ(GroupFields(lines, "男女総数"), ReportFields("2,0,6,1.41421,1,5,5,5,5,5,6,7,7,7,7,7"));

  const TabOutcome raw = RunTab(Args({file, "4"}));
  EXPECT_EQ(raw.out.rfind("\"\x81y" + name + "\x82\x81z\"\r\n", 0), 0u);
}

TEST(HostileTabFiles, EndOfFileMarkInMidFile) {
  const testing::TempDir dir;
  const std::string file =
      dir.Write("mark.csv", "sex,age,preg,val\r\n1,30,0,5\x1A" "9\r\n2,40,0,7\r\n");
  const std::vector<std::string> lines = Report(RunTab(Args({"--utf8", file, "4"})));
  EXPECT_EQ(GroupFields(lines, "男女総数"), ReportFields("1,0,5,,,5,5,5,5,5,5,5,5,5,5,5"));
  EXPECT_EQ(Counts(lines, "女総数"), "0,0");
}

// Numbers beyond a double's range, or too small to be anything but 0, hold no
// usable number: the row is missing, whichever cell holds them.
TEST(HostileTabNumbers, OutOfRangeNumbersMakeTheRowMissing) {
  const testing::TempDir dir;
  const std::string file = dir.Write("range.csv",
                                     "unit,sex,age,preg,val,w\n"
                                     "1,1,30,0,1e999,1\n"
                                     "1,1,31,0,-1e999,1\n"
                                     "1,1,32,0,1e-400,1\n"
                                     "1,1,33,0,5,1e999\n"
                                     "1,1,1e999,0,5,1\n"
                                     "1,1e999,35,0,5,1\n"    // a man's code, yet no number
                                     "1e999,1,36,0,5,1\n"
                                     "1,1,37,1e-400,5,1\n"
                                     "1,1,34,0,5,1\n");
  const std::vector<std::string> lines = Report(RunTab(
      {"--unit", "1", "--sex", "2", "--age", "3", "--pregnancy", "4", "--weight", "6", "--utf8",
       file, "5"}));
  EXPECT_EQ(Counts(lines, "男30～39"), "1,7");
  EXPECT_EQ(Counts(lines, "男総数"), "1,8");   // the age beyond range is in no age group
  EXPECT_EQ(Counts(lines, "男70以上"), "0,0");
  EXPECT_EQ(GroupFields(lines, "男30～39")[2], "5");
}

// Codes beyond the 32-bit range saturate at its ends: 4294967297 is the code
// 2147483647 and -2147483649 the code -2147483648 (never wrapped round into
// 1 or 2147483647).
TEST(HostileTabNumbers, CodesSaturateAtTheEndsOfTheirRange) {
  const testing::TempDir dir;
  const std::string file = dir.Write("codes.csv",
                                     "unit,sex,age,preg,val\n"
                                     "4294967297,1,30,0,10\n"
                                     "2147483647,1,31,0,20\n"
                                     "-2147483649,2,30,0,30\n"
                                     "-2147483648,2,31,0,40\n"
                                     "2147483647,4294967297,40,0,50\n"
                                     "2147483647,-2147483649,40,0,60\n"
                                     "2147483647,2,30,-2147483649,70\n");
  const std::vector<std::string> lines = Report(RunTab(
      {"--unit", "1", "--sex", "2", "--age", "3", "--pregnancy", "4", "--scheme", "part5",
       "--utf8", file, "5"}));
  EXPECT_EQ(lines.at(2 + kPart5Groups), "\"層の数：2\"");  // two sampling units
  EXPECT_EQ(Counts(lines, "男全年齢"), "2,0");   // the sex codes are neither 1 nor 2
  EXPECT_EQ(Counts(lines, "女全年齢"), "2,0");   // nor is the pregnant/lactating code 0
  EXPECT_EQ(Counts(lines, "女小計"), "0,0");
  EXPECT_EQ(Counts(lines, "女全年齢+小計"), "3,0");
  EXPECT_EQ(Counts(lines, "男女計"), "7,0");
}

// The byte-order mark some editors put before UTF-8 text is content: the first
// header name carries it, and the run works.
// What a spreadsheet's "CSV UTF-8" export gives, with or without its byte
// order mark: the same report, byte for byte, as the code page 932 file, and
// the names typed in UTF-8 find their columns. A name with a character that
// code page 932 lacks cannot go into the report: the run names its column.
TEST(HostileTabEncodings, Utf8FilesReportAsTheirCodePage932Twin) {
  // 性別,年齢,妊婦,エネルギー in code page 932 and in UTF-8.
  const std::string cp932Header = "\x90\xAB\x95\xCA,\x94N\x97\xEE,\x94\x44\x95\x77,\x83G\x83l\x83\x8B\x83M\x81[";
  const std::string utf8Header = "性別,年齢,妊婦,エネルギー";
  const std::string rows = "\r\n1,30,0,1800\r\n2,40,0,1650.5\r\n2,33,1,2000\r\n1,72,0,1500\r\n";
  const testing::TempDir dir;
  const std::vector<std::string> args = {"--sex", "性別", "--age", "年齢", "--pregnancy", "妊婦"};
  auto run = [&](const std::string& name, const std::string& bytes, const std::string& variable) {
    std::vector<std::string> all = args;
    all.push_back(dir.Write(name, bytes));
    all.push_back(variable);
    return RunTab(all);
  };
  const TabOutcome twin = run("cp932.csv", cp932Header + rows, "エネルギー");
  ASSERT_EQ(twin.status, 0) << twin.err;
  ASSERT_EQ(twin.out.rfind("\"\x81y\x83G\x83l\x83\x8B\x83M\x81[\x81z\"\r\n", 0), 0u);
  for (const std::string& mark : {""s, "\xEF\xBB\xBF"s}) {
    const TabOutcome utf8 = run("utf8.csv", mark + utf8Header + rows, "エネルギー");
    EXPECT_EQ(utf8.status, 0) << utf8.err;
    EXPECT_EQ(utf8.out, twin.out) << "byte order mark: " << !mark.empty();
  }
  // U+2603 has no code page 932 form: column 4 is named, nothing is written.
  ExpectMessage(run("snow.csv", "\xEF\xBB\xBF" + utf8Header + "\xE2\x98\x83" + rows, "4"), 1,
                "the name of column 4 in");
}

// UTF-16 text has a NUL byte beside every character: no cell holds a number,
// so every respondent is counted and none is used, and names typed by the
// user match no header cell.
TEST(HostileTabEncodings, Utf16FileCountsEveryRowMissing) {
  const std::string text = "sex,age,preg,val\r\n1,30,0,5\r\n2,40,0,7\r\n";
  std::string littleEndian = "\xFF\xFE", bigEndian = "\xFE\xFF";
  for (char c : text) {
    littleEndian += std::string{c, '\0'};
    bigEndian += std::string{'\0', c};
  }
  const testing::TempDir dir;
  for (const std::string& bytes : {littleEndian, bigEndian}) {
    const std::string file = dir.Write("utf16.csv", bytes);
    const std::vector<std::string> lines = Report(RunTab(Args({"--utf8", file, "4"})));
    EXPECT_TRUE(AreReportBlocks(lines, kTable1Groups));
    EXPECT_EQ(Counts(lines, "男女総数"), "0,2");
    ExpectMessage(RunTab({"--sex", "sex", "--age", "age", "--pregnancy", "preg", file, "val"}), 2,
                  "no column \"sex\"");
  }
}

}  // namespace
}  // namespace kelvara::hostile
