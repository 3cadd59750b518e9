// A tabulation run end to end: blocks, strata lines, row rule, run failures.
#include <gtest/gtest.h>

#include "engine/report/report_format.h"
#include "tests/engine/survey_builder.h"

namespace kelvara::testing {
namespace {

const std::string kSimpleRandomSampling =
    "\"\x91w\x82\xCC\x90\x94\x82\xAA\x82P\x81" "A\x82\xDC\x82\xBD\x82\xCD\x8Ew\x92\xE8"
    "\x82\xB3\x82\xEA\x82\xC4\x82\xA2\x82\xC8\x82\xA2\x82\xBD\x82\xDF\x92P\x8F\x83\x96\xB3"
    "\x8D\xEC\x88\xD7\x92\x8A\x8Fo\x82\xF0\x89\xBC\x92\xE8.\"";

std::string StrataCount(int n) { return "\"\x91w\x82\xCC\x90\x94\x81" "F" + std::to_string(n) + "\""; }

std::vector<std::string> Report(const std::vector<Respondent>& rows, Choice choice = {}) {
  return Tabulate(Path::engine, rows, choice);
}

Respondent Man(std::string value, std::string unit = "1") {
  Respondent r;
  r.value = std::move(value);
  r.unit = std::move(unit);
  return r;
}

TEST(Tabulation, BlockLayout) {
  const auto lines = Report({Man("1")});
  ASSERT_EQ(lines.size(), 2u + 39u + 2u);
  EXPECT_EQ(lines[0], "\"\x81yvalue\x81z\"");
  EXPECT_EQ(lines[1], std::string(ColumnTitleLine()));
  EXPECT_EQ(lines[41], kSimpleRandomSampling);
  EXPECT_EQ(lines[42], "");
  EXPECT_EQ(Report({Man("1")}, {.scheme = SchemeId::table2}).size(), 2u + 36u + 2u);
  EXPECT_EQ(Report({Man("1")}, {.scheme = SchemeId::part5}).size(), 2u + 29u + 2u);
  EXPECT_EQ(Report({Man("1")}, {.scheme = SchemeId::category}).size(), 2u + 33u + 2u);
}

TEST(Tabulation, HeaderOnlyFile) {
  const auto lines = Report({}, {.unit = true});
  EXPECT_EQ(lines[2], "\"" + kMaleTotal + "\",0,0");
  EXPECT_EQ(lines[41], StrataCount(0));
  EXPECT_EQ(Report({})[41], StrataCount(0)) << "no data row: no unit at all";
}

TEST(Tabulation, StrataLine) {
  EXPECT_EQ(Report({Man("1", "5"), Man("2", "5")}, {.unit = true})[41], kSimpleRandomSampling);
  EXPECT_EQ(Report({Man("1", "5"), Man("2", "6")}, {.unit = true})[41], StrataCount(2));
  // A unit whose only row is unusable for this variable is no unit.
  EXPECT_EQ(Report({Man("1", "5"), Man("", "6")}, {.unit = true})[41], kSimpleRandomSampling);
}

TEST(Tabulation, RowRule) {
  Respondent noPregnancyCell = Man("4");
  noPregnancyCell.pregnancy = "";
  Respondent badWeight = Man("4");
  badWeight.weight = "NA";
  Respondent badUnit = Man("4", "x");
  EXPECT_EQ(LineOf(Report({Man("2"), noPregnancyCell}), kMaleTotal), ",1,1,2,,,2,2,2,2,2,2,2,2,2,2,2");
  EXPECT_EQ(LineOf(Report({Man("2"), badWeight}, {.weight = true}), kMaleTotal),
            ",1,1,2,,,2,2,2,2,2,2,2,2,2,2,2");
  EXPECT_EQ(LineOf(Report({Man("2"), badWeight}), kMaleTotal), ",2,0,3,1.41421,1,2,2,2,2,2,3,4,4,4,4,4")
      << "the weight cell counts only when a weight column is chosen";
  EXPECT_EQ(LineOf(Report({Man("2"), badUnit}, {.unit = true}), kMaleTotal),
            ",1,1,2,,,2,2,2,2,2,2,2,2,2,2,2");
}

TEST(Tabulation, EmptyAgeAndOtherSexCodes) {
  Respondent noAge = Man("");
  noAge.age = "";
  Respondent third = Man("3");
  third.sex = "3";
  const auto lines = Report({noAge, third});
  EXPECT_EQ(LineOf(lines, kMaleTotal), ",0,1") << "age 0 falls only in the totals";
  EXPECT_EQ(lines[3], "\"\x92j1\x81`6\",0,0");
  EXPECT_EQ(LineOf(lines, kBothTotal), ",1,1,3,,,3,3,3,3,3,3,3,3,3,3,3");
}

TEST(Tabulation, ShortRowsAreMissingNotReadPastTheirEnd) {
  TempDir dir;
  const std::string file = dir.Write("short.csv", "u,s,a,p,v,w\n1,1,30,0,5,1\n1,1,30\n");
  std::vector<std::string> lines;
  ASSERT_EQ(TabulateVariable(file, -1, 1, 2, 3, 4, -1, SchemeId::table1,
                             [&](std::string_view l) { lines.emplace_back(l); }),
            RunStatus::ok);
  EXPECT_EQ(LineOf(lines, kMaleTotal), ",1,1,5,,,5,5,5,5,5,5,5,5,5,5,5");
  EXPECT_EQ(lines[0], "\"\x81yv\x81z\"");
  lines.clear();
  TabulateVariable(file, -1, 1, 2, 3, 9, -1, SchemeId::table1, [&](std::string_view l) { lines.emplace_back(l); });
  EXPECT_EQ(lines[0], "\"\x81y\x81z\"") << "a column beyond the header has an empty name";
}

TEST(Tabulation, SeveralVariablesEqualOneAtATime) {
  TempDir dir;
  std::vector<Respondent> rows;
  for (int i = 0; i < 300; ++i) {
    Respondent r;
    r.unit = std::to_string(i % 7);
    r.sex = std::to_string(1 + i % 2);
    r.age = std::to_string(i % 90) + ".5";
    r.pregnancy = std::to_string(i % 11 == 0 ? 1 : 0);
    r.value = i % 13 == 0 ? "" : std::to_string(i * 37 % 101) + ".3";
    r.weight = std::to_string(1 + i % 3) + ".25";
    rows.push_back(r);
  }
  const std::string file = dir.Write("many.csv", SurveyFile(rows));
  RunRequest request{file, {0, 1, 2, 3, 5}, {4, 2, 5, 4}, SchemeId::part5, {}, {}, {}};
  std::vector<std::string> together;
  ASSERT_EQ(TabulateVariables(request, [&](std::string_view l) { together.emplace_back(l); }, 1),
            RunStatus::ok);
  std::vector<std::string> parallel;
  TabulateVariables(request, [&](std::string_view l) { parallel.emplace_back(l); }, 3);
  EXPECT_EQ(parallel, together) << "the number of threads changes nothing";
  std::vector<std::string> oneByOne;
  for (int variable : request.variableColumns) {
    TabulateVariable(file, 0, 1, 2, 3, variable, 5, SchemeId::part5,
                     [&](std::string_view l) { oneByOne.emplace_back(l); });
  }
  EXPECT_EQ(together, oneByOne);
  EXPECT_EQ(together.size(), 4u * (2 + 29 + 2));
}

TEST(Tabulation, FailuresHandNothingOver) {
  TempDir dir;
  int lines = 0;
  const LineSink count = [&](std::string_view) { ++lines; };
  EXPECT_EQ(TabulateVariable(dir.PathOf("gone.csv"), -1, 1, 2, 3, 4, -1, SchemeId::table1, count),
            RunStatus::cannotOpen);
  EXPECT_EQ(TabulateVariable(dir.Write("blank.csv", "\r\n,,\r\n"), -1, 1, 2, 3, 4, -1, SchemeId::table1, count),
            RunStatus::noHeaderRow);
  const std::string file = dir.Write("ok.csv", SurveyFile({Man("1")}));
  EXPECT_EQ(TabulateVariable(file, -2, 1, 2, 3, 4, -1, SchemeId::table1, count), RunStatus::invalidColumn);
  EXPECT_EQ(TabulateVariable(file, -1, -1, 2, 3, 4, -1, SchemeId::table1, count), RunStatus::invalidColumn);
  EXPECT_EQ(TabulateVariable(file, -1, 1, 2, 3, -1, -1, SchemeId::table1, count), RunStatus::invalidColumn);
  EXPECT_EQ(lines, 0);
}

// The progress a window shows: every data row and byte read, each variable
// announced once with its column; and a stop, whenever it comes, leaves
// nothing handed over.
TEST(Tabulation, ProgressAndStop) {
  TempDir dir;
  std::vector<Respondent> rows(500, Man("7"));
  const std::string file = dir.Write("progress.csv", SurveyFile(rows));
  RunRequest request{file, {0, 1, 2, 3, -1}, {4, 0, 4, 2}, SchemeId::table1, {}, {}, {}};
  std::vector<RunProgress> reports;
  RunControl control;
  control.threads = 3;
  control.progress = [&](const RunProgress& p) { reports.push_back(p); };
  int lines = 0;
  const LineSink count = [&](std::string_view) { ++lines; };
  ASSERT_EQ(TabulateVariables(request, count, control).status, RunStatus::ok);
  ASSERT_FALSE(reports.empty());
  EXPECT_EQ(reports.front().stage, RunProgress::Stage::reading);
  EXPECT_EQ(reports.front().rowsRead, 500u);
  EXPECT_EQ(reports.front().bytesRead, reports.front().fileBytes);
  EXPECT_EQ(reports.front().fileBytes, ReadBytes(file).size());
  std::vector<int> columnOfNumber(5, -9);
  for (const RunProgress& p : reports) {
    if (p.stage != RunProgress::Stage::computing) continue;
    EXPECT_EQ(p.variableCount, 4u);
    ASSERT_GE(p.variableNumber, 1u);
    ASSERT_LE(p.variableNumber, 4u);
    EXPECT_EQ(columnOfNumber[p.variableNumber], -9) << "announced twice";
    columnOfNumber[p.variableNumber] = p.column;
  }
  EXPECT_EQ(columnOfNumber, (std::vector<int>{-9, 4, 0, 4, 2}));

  for (bool stopAtOnce : {true, false}) {
    std::stop_source stop;
    if (stopAtOnce) stop.request_stop();
    control.stop = stop.get_token();
    // The stop arrives while the first variable is being computed.
    control.progress = [&](const RunProgress& p) {
      if (p.stage == RunProgress::Stage::computing) stop.request_stop();
    };
    lines = 0;
    EXPECT_EQ(TabulateVariables(request, count, control).status, RunStatus::stopped);
    EXPECT_EQ(lines, 0);
  }
}

}  // namespace
}  // namespace kelvara::testing
