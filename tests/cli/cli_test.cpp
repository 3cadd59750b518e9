// kelvara-tab as a user runs it: reports, column names, errors, output files.
#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#endif

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/utf8_path.h"
#include "tests/support/program_run.h"
#include "tests/support/report_fields.h"
#include "tests/support/temp_dir.h"

namespace {

namespace fs = std::filesystem;
using kelvara::PathFromUtf8;
using kelvara::Utf8FromPath;
using kelvara::testing::ReadBytes;
using kelvara::testing::ReportFields;
using kelvara::testing::ScopedEnvironment;
using kelvara::testing::TempDir;
using Outcome = kelvara::testing::ProgramOutcome;

const std::string kData = KELVARA_CLI_DATA;
const std::string kSurvey = kData + "/survey_small.csv";

// Runs kelvara-tab with these arguments (UTF-8, as a user types them).
Outcome Tab(const std::vector<std::string>& args) {
  return kelvara::testing::RunProgram(KELVARA_TAB, args);
}

const std::vector<std::string> kClassification = {"--sex", "2", "--age", "3", "--pregnancy", "4"};

std::vector<std::string> Args(std::vector<std::string> extra) {
  std::vector<std::string> args = kClassification;
  args.insert(args.end(), extra.begin(), extra.end());
  return args;
}

TEST(TabReports, GoldenBlocksForEveryScheme) {
  struct Case {
    std::vector<std::string> args;
    std::string expected;
  };
  const std::vector<Case> cases = {
      {{"--unit", "1", "--weight", "5", kSurvey, "6", "7"}, "table1_unit_weight.expected"},
      {{"--scheme", "table2", kSurvey, "7"}, "table2_plain.expected"},
      {{"--unit", "1", "--scheme", "part5", kSurvey, "6"}, "part5_unit.expected"},
      {{"--weight", "5", "--scheme", "category", kSurvey, "3"}, "category_weight.expected"},
  };
  for (const Case& c : cases) {
    const Outcome outcome = Tab(Args(c.args));
    EXPECT_EQ(outcome.status, 0) << outcome.err;
    EXPECT_EQ(outcome.out, ReadBytes(kData + "/" + c.expected)) << c.expected;
  }
}

TEST(TabReports, CarriageReturnLineFeedAfterEveryLine) {
  const std::string out = Tab(Args({kSurvey, "6"})).out;
  ASSERT_GE(out.size(), 4u);
  EXPECT_EQ(out.substr(out.size() - 4), "\r\n\r\n") << "the block ends in an empty line";
  size_t lineFeeds = 0, pairs = 0;
  for (size_t i = 0; i < out.size(); ++i) {
    lineFeeds += out[i] == '\n';
    pairs += out[i] == '\n' && i > 0 && out[i - 1] == '\r';
  }
  EXPECT_EQ(lineFeeds, 2u + 39u + 2u);
  EXPECT_EQ(pairs, lineFeeds);
}

TEST(TabReports, HeaderTextsNameColumnsLikeTheirNumbers) {
  const Outcome byName = Tab({"--unit", "地区", "--weight", "重み", "--sex", "性別", "--age",
                              "年齢", "--pregnancy", "妊婦授乳婦", kSurvey, "エネルギー",
                              "食塩相当量"});
  EXPECT_EQ(byName.status, 0) << byName.err;
  EXPECT_EQ(byName.out, ReadBytes(kData + "/table1_unit_weight.expected"));
}

TEST(TabReports, Utf8ForTheTerminal) {
  const Outcome outcome = Tab(Args({"--utf8", kSurvey, "6"}));
  EXPECT_EQ(outcome.out.substr(0, outcome.out.find('\n')), "\"【エネルギー】\"");
  EXPECT_EQ(outcome.out.find('\r'), std::string::npos);
  EXPECT_NE(outcome.out.find("\n\"男女総数\",38,2,1943.61,"), std::string::npos);
}

TEST(TabReports, DecimalCommaLocaleChangesNothing) {
  const Outcome plain = Tab(Args({"--weight", "5", kSurvey, "6", "7"}));
  const ScopedEnvironment locale("LC_ALL", "de_DE.UTF-8");
  const Outcome comma = Tab(Args({"--weight", "5", kSurvey, "6", "7"}));
  EXPECT_EQ(comma.status, 0);
  EXPECT_EQ(comma.out, plain.out);
  EXPECT_NE(plain.out.find(",1870."), std::string::npos) << "a decimal point, not a comma";
}

TEST(TabErrors, BadUsageIsStatusTwoWithOneLine) {
  struct Case {
    std::vector<std::string> args;
    std::string message;
  };
  const std::vector<Case> cases = {
      {{"--bogus", kSurvey, "6"}, "unknown option --bogus"},
      {{"--sex", "2", "--age", "3", kSurvey, "6"}, "the --pregnancy column is required"},
      {Args({kSurvey}), "no VARIABLE given"},
      {Args({"--scheme", "table9", kSurvey, "6"}), "unknown scheme table9"},
      {Args({kSurvey, "99"}), "column 99 does not exist"},
      {Args({kSurvey, "0"}), "column 0 does not exist"},
      {Args({kSurvey, "ビタミン"}), "no column \"ビタミン\""},
      {Args({"--unit"}), "option --unit needs a value"},
      {Args({"--below", "7,5", kSurvey, "6"}), "--below needs a number such as 400 or 7.5"},
      {Args({"--usual", kSurvey, "6"}), "--usual needs --person (repeated days) or --variance-ratio 6=R"},
      {Args({"--variance-ratio", "6=1", kSurvey, "6"}), "used by --usual only"},
      {Args({"--usual", "--variance-ratio", "6=-1", kSurvey, "6"}), "a ratio of 0 or more"},
      {Args({"--usual", "--variance-ratio", "7=1", kSurvey, "6"}), "not an analysis VARIABLE"},
      {Args({"--usual", "--person", "1", "--bootstrap", "1", kSurvey, "6"}), "from 2 to 100000"},
      {Args({"--usual", "--variance-ratios", kData + "/none.csv", kSurvey, "6"}),
       "cannot open the variance-ratio table"},
      {Args({"--energy-adjust", "residual", kSurvey, "6"}), "--energy-adjust and --energy go"},
      {Args({"--energy-adjust", "kcal", "--energy", "6", kSurvey, "7"}), "residual or density"},
      {Args({"--ratio", "6", kSurvey}), "--ratio needs NUM/DEN"},
  };
  for (const Case& c : cases) {
    const Outcome outcome = Tab(c.args);
    EXPECT_EQ(outcome.status, 2) << c.message;
    EXPECT_NE(outcome.err.find(c.message), std::string::npos) << outcome.err;
    EXPECT_EQ(std::count(outcome.err.begin(), outcome.err.end(), '\n'), 1) << outcome.err;
    EXPECT_EQ(outcome.out, "");
  }
}

TEST(TabReports, DesignOptionsAddTheirColumns) {
  // 地区 as strata, every respondent a unit of its own within its stratum.
  const Outcome outcome = Tab(Args({"--weight", "5", "--strata", "1", "--ci", "--cv", "--deff",
                                    "--below", "2000", "--utf8", kSurvey, "6"}));
  ASSERT_EQ(outcome.status, 0) << outcome.err;
  const std::vector<std::string> lines = kelvara::testing::ReportLines(outcome.out);
  ASSERT_EQ(lines.size(), 2u + 39u + 2u);
  EXPECT_EQ(lines[1].substr(lines[1].find("\"最大値\"")),
            "\"最大値\",\"95%信頼区間下限\",\"95%信頼区間上限\",\"変動係数(%)\","
            "\"デザイン効果\",\"2000未満の割合(%)\",\"2000未満の割合の標準誤差\"");
  EXPECT_EQ(lines[41].rfind("\"層の数：", 0), 0u) << lines[41];
  // Of the fixed fields only the standard error differs from those with 地区
  // as sampling units (which make the same rows missing).
  const std::vector<std::string> plain =
      kelvara::testing::ReportLines(Tab(Args({"--unit", "1", "--weight", "5", "--utf8", kSurvey, "6"})).out);
  for (size_t i = 2; i < 41; ++i) {
    std::vector<std::string> fixed = ReportFields(lines[i]);
    std::vector<std::string> expected = ReportFields(plain[i]);
    if (fixed.size() > 17) {
      ASSERT_EQ(fixed.size(), 23u) << lines[i];
      fixed.resize(17);
      fixed[5] = expected[5] = "";
    }
    EXPECT_EQ(fixed, expected) << lines[i];
  }
}

// What the usual-intake block warns of is said on standard error too: day
// values too often 0 or less for a daily-intake model (20 of 80, 25 %), and a
// person whose rows disagree (person 0's second row another sex).
TEST(TabReports, UsualIntakeWarningsOnStandardError) {
  TempDir dir;
  std::string csv = "person,sex,age,preg,value,weight\r\n";
  for (int day = 0; day < 2; ++day) {
    for (int p = 0; p < 40; ++p) {
      const std::string sex = p == 0 && day == 1 ? "2" : "1";
      const std::string value = day == 1 && p < 20 ? "0" : std::to_string(10 + p % 7);
      csv += std::to_string(p) + "," + sex + ",25,0," + value + ",1\r\n";
    }
  }
  const Outcome outcome = Tab({"--person", "1", "--sex", "2", "--age", "3", "--pregnancy", "4",
                               "--usual", dir.Write("days.csv", csv), "5"});
  ASSERT_EQ(outcome.status, 0) << outcome.err;
  EXPECT_NE(outcome.err.find("kelvara-tab: warning: 20 of the 80 day values (25 %) of value are "
                             "0 or less"),
            std::string::npos)
      << outcome.err;
  EXPECT_NE(outcome.err.find("kelvara-tab: note: 1 person has rows that disagree"),
            std::string::npos)
      << outcome.err;
}

// A cut-off per variable gives each block what a run of that variable with
// that cut-off alone gives; the provenance lines add a line before each block
// and change no other byte; a code page 932 file behind a UTF-8 byte order
// mark reads as the file without it, its Japanese headers too.
TEST(TabReports, OwnCutOffsProvenanceAndAMarkBeforeCodePage932) {
  const std::vector<std::string> base = {"--unit", "1", "--weight", "5", "--ci"};
  const auto run = [&](std::vector<std::string> extra) {
    std::vector<std::string> args = Args(base);
    args.insert(args.end(), extra.begin(), extra.end());
    const Outcome outcome = Tab(args);
    EXPECT_EQ(outcome.status, 0) << outcome.err;
    return outcome.out;
  };
  const std::string both = run({"--below", "7.5", "--below", "エネルギー=2000", kSurvey, "6", "7"});
  EXPECT_EQ(both, run({"--below", "2000", kSurvey, "6"}) + run({"--below", "7.5", kSurvey, "7"}));
  EXPECT_EQ(run({"--below", "6=2000", kSurvey, "6", "7"}),
            run({"--below", "2000", kSurvey, "6"}) + run({kSurvey, "7"}));
  EXPECT_EQ(Tab(Args({"--below", "=7", kSurvey, "6"})).status, 2);

  const std::string withProvenance = run({"--provenance", kSurvey, "6", "7"});
  const std::vector<std::string> lines = kelvara::testing::ReportLines(withProvenance);
  std::string rest;
  int provenanceLines = 0;
  for (size_t i = 0; i < lines.size(); ++i) {
    // 出所 in code page 932
    if (lines[i].rfind("\"\x8Fo\x8F\x8A\",", 0) == 0) {
      ++provenanceLines;
      EXPECT_NE(lines[i].find("\"Kelvara "), std::string::npos);
      EXPECT_NE(lines[i].find("survey_small.csv"), std::string::npos);
      ASSERT_LT(i + 1, lines.size());
      EXPECT_EQ(lines[i + 1].rfind("\"\x81y", 0), 0u) << "a block's header follows";  // 【
      continue;
    }
    rest += lines[i] + "\r\n";
  }
  EXPECT_EQ(provenanceLines, 2);
  EXPECT_EQ(rest, run({kSurvey, "6", "7"}));

  TempDir dir;
  const std::string marked = Utf8FromPath(dir.path() / "marked.csv");
  std::ofstream(PathFromUtf8(marked), std::ios::binary) << "\xEF\xBB\xBF" << ReadBytes(kSurvey);
  const Outcome byName = Tab({"--unit", "地区", "--weight", "重み", "--sex", "性別", "--age",
                              "年齢", "--pregnancy", "妊婦授乳婦", marked, "エネルギー", "食塩相当量"});
  EXPECT_EQ(byName.status, 0) << byName.err;
  EXPECT_EQ(byName.out, ReadBytes(kData + "/table1_unit_weight.expected"));
}

TEST(TabErrors, UnreadableFilesAreStatusOne) {
  TempDir dir;
  const Outcome missing = Tab(Args({dir.PathOf("absent.csv"), "6"}));
  EXPECT_EQ(missing.status, 1);
  EXPECT_NE(missing.err.find("cannot open the survey data file"), std::string::npos);
  const Outcome directory = Tab(Args({dir.PathOf(""), "6"}));
  EXPECT_EQ(directory.status, 1);
  const Outcome empty = Tab(Args({dir.Write("empty.csv", "\r\n"), "1"}));
  EXPECT_EQ(empty.status, 1);
  EXPECT_NE(empty.err.find("holds no header row"), std::string::npos);
}

TEST(TabErrors, AmbiguousHeaderText) {
  TempDir dir;
  const std::string file = dir.Write("twice.csv", "a,b,c,d,a\r\n1,1,1,0,2\r\n");
  const Outcome outcome = Tab({"--sex", "2", "--age", "3", "--pregnancy", "4", file, "a"});
  EXPECT_EQ(outcome.status, 2);
  EXPECT_NE(outcome.err.find("names several columns"), std::string::npos);
}

TEST(TabReports, RatioColumnsWhoseHeaderHoldsASlash) {
  TempDir dir;
  const std::string file =
      dir.Write("slashes.csv", "u,sex,age,preg,a,a/b,b/c,c\r\n1,1,30,0,1,2,3,4\r\n");
  // Split at the second slash only: "a" and "b/a" name no pair of columns.
  const Outcome one = Tab(Args({"--ratio", "a/b/a", file, "--utf8"}));
  EXPECT_EQ(one.status, 0) << one.err;
  EXPECT_EQ(one.out.substr(0, one.out.find('\n')), "\"【a/b/a（比の推定）】\"");
  EXPECT_NE(one.out.find("\"男総数\",1,0,2,"), std::string::npos) << one.out;
  // "a" over "b/c", or "a/b" over "c": the user must say which.
  const Outcome both = Tab(Args({"--ratio", "a/b/c", file}));
  EXPECT_EQ(both.status, 2);
  EXPECT_NE(both.err.find("more than one slash"), std::string::npos) << both.err;
}

TEST(TabOutputFile, WrittenWholeOrNotAtAll) {
  TempDir dir;
  const std::string target = dir.PathOf("report.csv");
  ASSERT_EQ(Tab(Args({"-o", target, kSurvey, "6", "7"})).status, 0);
  EXPECT_EQ(ReadBytes(target), Tab(Args({kSurvey, "6", "7"})).out);

  // A failed run leaves an earlier report untouched and no temporary file.
  const std::string earlier = ReadBytes(target);
  EXPECT_EQ(Tab(Args({"-o", target, dir.PathOf("absent.csv"), "6"})).status, 1);
  EXPECT_EQ(ReadBytes(target), earlier);
  EXPECT_EQ(dir.EntryCount(), 1u);

  const Outcome nowhere = Tab(Args({"-o", dir.PathOf("no/such/dir/r.csv"), kSurvey, "6"}));
  EXPECT_EQ(nowhere.status, 1);
  EXPECT_NE(nowhere.err.find("cannot write"), std::string::npos);
}

// A folder and a file named in Japanese, and Japanese header names, as a
// Japanese user's script gives them: read, written, an earlier report replaced
// whole, and an earlier report kept as it was when the new one cannot take its
// place. Nothing but the reports is left in the folder.
TEST(TabOutputFile, JapaneseFolderFileAndColumnNames) {
  TempDir dir;
  const fs::path folder = dir.path() / u8"調査データ";
  ASSERT_TRUE(fs::create_directory(folder));
  fs::copy_file(PathFromUtf8(kSurvey), folder / u8"例 2024.csv");
  const std::string survey = Utf8FromPath(folder / u8"例 2024.csv");
  const fs::path target = folder / u8"結果 2024.csv";
  auto tab = [&](std::vector<std::string> extra) {
    std::vector<std::string> args = {"--unit", "地区", "--weight", "重み", "--sex", "性別",
                                     "--age", "年齢", "--pregnancy", "妊婦授乳婦"};
    args.insert(args.end(), extra.begin(), extra.end());
    return Tab(args);
  };
  const std::string expected = ReadBytes(kData + "/table1_unit_weight.expected");

  const Outcome read = tab({survey, "エネルギー", "食塩相当量"});
  EXPECT_EQ(read.status, 0) << read.err;
  EXPECT_EQ(read.out, expected);

  std::ofstream(target, std::ios::binary) << "earlier";
  const Outcome written = tab({"-o", Utf8FromPath(target), survey, "エネルギー", "食塩相当量"});
  EXPECT_EQ(written.status, 0) << written.err;
  EXPECT_EQ(ReadBytes(target), expected);
  EXPECT_EQ(TempDir::EntryCount(folder), 2u);

  // A folder where the report should go cannot be replaced by it.
  const fs::path occupied = folder / u8"集計";
  ASSERT_TRUE(fs::create_directory(occupied));
  std::ofstream(occupied / u8"中身.txt") << "kept";
  const Outcome refused = tab({"-o", Utf8FromPath(occupied), survey, "エネルギー"});
  EXPECT_EQ(refused.status, 1);
  EXPECT_NE(refused.err.find("cannot write"), std::string::npos) << refused.err;
  EXPECT_EQ(ReadBytes(occupied / u8"中身.txt"), "kept");
  EXPECT_EQ(TempDir::EntryCount(folder), 3u);
#ifdef _WIN32
  // A report held open by a program that does not let it be replaced (as a
  // spreadsheet holds the files it shows) stays as it is.
  const HANDLE held = CreateFileW(target.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  const Outcome locked = tab({"-o", Utf8FromPath(target), survey, "エネルギー"});
  CloseHandle(held);
  EXPECT_EQ(locked.status, 1);
  EXPECT_NE(locked.err.find("cannot write"), std::string::npos) << locked.err;
  EXPECT_EQ(ReadBytes(target), expected);
  EXPECT_EQ(TempDir::EntryCount(folder), 3u);
#endif
}

#ifdef _WIN32
TEST(TabOutputFile, NulDeviceIsWritten) {
  const Outcome toNul = Tab(Args({"-o", "NUL", kSurvey, "6"}));
  EXPECT_EQ(toNul.status, 0) << toNul.err;
}
#else
TEST(TabOutputFile, DevicesAreWrittenAndLinksFollowed) {
  const Outcome toNull = Tab(Args({"-o", "/dev/null", kSurvey, "6"}));
  EXPECT_EQ(toNull.status, 0) << toNull.err;
  EXPECT_TRUE(fs::is_character_file("/dev/null")) << "/dev/null must stay a device";

  TempDir dir;
  const std::string target = dir.Write("real.csv", "old");
  const std::string link = dir.PathOf("link.csv");
  fs::create_symlink(target, link);
  ASSERT_EQ(Tab(Args({"-o", link, kSurvey, "6"})).status, 0);
  EXPECT_TRUE(fs::is_symlink(link)) << "the link is kept";
  EXPECT_EQ(ReadBytes(target), Tab(Args({kSurvey, "6"})).out);
}

#endif

TEST(TabHelp, PrintsUsage) {
  const Outcome outcome = Tab({"--help"});
  EXPECT_EQ(outcome.status, 0);
  EXPECT_EQ(outcome.out.rfind("Usage: kelvara-tab", 0), 0u);
}

}  // namespace
