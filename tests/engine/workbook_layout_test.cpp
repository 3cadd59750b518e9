// The workbook's layout in the engine: numbers rounded to a table's decimals
// as a spreadsheet shows them (against integer arithmetic), sheet names a
// spreadsheet accepts, and the summary 一覧 of blocks of two schemes.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "engine/report/decimal_rounding.h"
#include "engine/report/provenance.h"
#include "engine/report/report_format.h"
#include "engine/report/report_reading.h"
#include "engine/report/sheet_names.h"
#include "engine/report/summary_table.h"

namespace kelvara {
namespace {

// k x 10^e rounded to d decimals, a half away from zero, by integers alone.
std::string RoundedByIntegers(bool negative, uint64_t k, int e, int d) {
  uint64_t whole = k;
  const int shift = e + d;
  if (shift >= 0) {
    for (int i = 0; i < shift; ++i) whole *= 10;
  } else {
    uint64_t divisor = 1;
    for (int i = 0; i < -shift; ++i) divisor *= 10;
    whole = (k + divisor / 2) / divisor;
  }
  std::string text = std::to_string(whole);
  if (text.size() < static_cast<size_t>(d) + 1) text.insert(0, d + 1 - text.size(), '0');
  if (d > 0) text.insert(text.size() - static_cast<size_t>(d), 1, '.');
  if (negative && whole != 0) text.insert(text.begin(), '-');
  return text;
}

TEST(DecimalRounding, RoundsThePrintedDigitsHalfAwayFromZero) {
  std::mt19937_64 random(20251208);
  std::uniform_int_distribution<uint64_t> mantissa(1, 999999);
  std::uniform_int_distribution<int> exponent(-11, 6), decimals(0, 6), tie(0, 3);
  for (int i = 0; i < 200000; ++i) {
    uint64_t k = mantissa(random);
    if (tie(random) == 0) k = k / 10 * 10 + 5;  // halves, where rounding rules part
    const int e = exponent(random), d = decimals(random);
    const bool negative = i % 2 == 1;
    // The report prints k x 10^e as six significant digits, in whichever
    // notation %g takes; a power of ten is exact, so the double is the one
    // nearest k x 10^e and prints as its digits.
    double scale = 1;
    for (int j = 0; j < (e < 0 ? -e : e); ++j) scale *= 10;
    std::string printed = FormatNumber(e < 0 ? static_cast<double>(k) / scale
                                             : static_cast<double>(k) * scale);
    if (negative) printed.insert(printed.begin(), '-');
    ASSERT_EQ(RoundedDecimal(printed, d), RoundedByIntegers(negative, k, e, d))
        << printed << " to " << d << " decimals";
  }
  // The report's own forms, and what is no number.
  EXPECT_EQ(RoundedDecimal("1.23457e+06", 0), "1234570");
  EXPECT_EQ(RoundedDecimal("0.000123", 4), "0.0001");
  EXPECT_EQ(RoundedDecimal("-0.04", 1), "0.0");
  EXPECT_EQ(RoundedDecimal("9.96", 1), "10.0");
  EXPECT_EQ(RoundedDecimal("0.5", 0), "1");
  EXPECT_EQ(RoundedDecimal("inf", 2), "inf");
  EXPECT_EQ(RoundedDecimal("12x", 2), "12x");
}

TEST(SheetNames, EveryNameIsValidAndTakenOnce) {
  const std::string longUsual =  // 長い名前の変数 x 3 長い名前（習慣的摂取量）: 33 characters
      "\x92\xB7\x82\xA2\x96\xBC\x91O\x82\xCC\x95\xCF\x90\x94\x92\xB7\x82\xA2\x96\xBC\x91O\x82\xCC"
      "\x95\xCF\x90\x94\x92\xB7\x82\xA2\x96\xBC\x91O\x82\xCC\x95\xCF\x90\x94\x92\xB7\x82\xA2\x96\xBC"
      "\x91O\x81i\x8FK\x8A\xB5\x93I\x90\xDB\x8E\xE6\x97\xCA\x81j";
  const std::string usualSuffix = "\x81i\x8FK\x8A\xB5\x93I\x90\xDB\x8E\xE6\x97\xCA\x81j";
  SheetNames names;
  const std::vector<std::pair<std::string, std::string>> cases = {
      // 表 ends in the byte of '\', which is no character of its own.
      {"\x95\\\x8E\xA6/\x95\\[1]", "\x95\\\x8E\xA6_\x95\\_1_"},  // 表示/表[1] -> 表示_表_1_
      {"a:b*c?d", "a_b_c_d"},
      {"'quoted'", "_quoted_"},
      {"", "\x95\xCF\x90\x94"},  // 変数
      {"History", "History_"},
      {"Iron", "Iron"},
      {"IRON", "IRON (2)"},
      {"\x82`", "\x82`"},            // Ａ
      {"\x82\x81", "\x82\x81 (2)"},  // ａ, the same name to a spreadsheet
      {"tab\tname", "tab_name"},
      {std::string(40, 'x'), std::string(31, 'x')},
      {std::string(40, 'x'), std::string(27, 'x') + " (2)"},
      // The block kind stays, so that the usual-intake sheet keeps its name.
      {longUsual, longUsual.substr(0, 2 * 23) + usualSuffix},
  };
  std::set<std::string> taken;
  for (const auto& [wanted, expected] : cases) {
    const std::string name = names.Take(wanted);
    EXPECT_EQ(name, expected) << wanted;
    EXPECT_TRUE(SheetNames::Valid(name)) << name;
    EXPECT_TRUE(taken.insert(name).second) << name;
  }
  for (const std::string& invalid : {std::string(), std::string("a/b"), std::string("'a"),
                                     std::string("hiSTory"), std::string(32, 'x'),
                                     std::string("\x95\\\x81")}) {  // a lead byte left alone
    EXPECT_FALSE(SheetNames::Valid(invalid)) << invalid;
  }
}

// A block's line of a group: persons, missing, mean, SD, SE, minimum, the
// percentiles and maximum (the median in its place), then any shares.
std::string GroupLine(std::string_view label, const std::string& persons, const std::string& mean,
                      const std::string& median, const std::string& share = "") {
  std::string line(1, '"');
  line.append(label).append("\",").append(persons).append(",0,").append(mean).append(",1.5,0.2,0");
  for (int percentile = 0; percentile < 9; ++percentile) line += percentile == 4 ? "," + median : ",1";
  line += ",9";
  if (!share.empty()) line += "," + share + ",2.5";
  return line;
}

constexpr std::string_view kIron = "\x93S";  // 鉄
constexpr std::string_view kIronUsual = "\x93S\x81i\x8FK\x8A\xB5\x93I\x90\xDB\x8E\xE6\x97\xCA\x81j";
constexpr std::string_view kCalcium = "\x83J\x83\x8B\x83V\x83" "E\x83\x80";  // カルシウム
constexpr std::string_view kEarShare = "EAR\x96\xA2\x96\x9E\x82\xCC\x8A\x84\x8D\x87(%)";
constexpr std::string_view kEarShareSe =
    "EAR\x96\xA2\x96\x9E\x82\xCC\x8A\x84\x8D\x87\x82\xCC\x95W\x8F\x80\x8C\xEB\x8D\xB7";
constexpr std::string_view kMenAll = "\x92j\x91\x8D\x90\x94";  // 男総数
constexpr std::string_view kMen1To6 = "\x92j1\x81`6";          // 男1～6
constexpr std::string_view kMen70 = "\x92j70\x88\xC8\x8F\xE3";  // 男70以上
constexpr std::string_view kWomen1To6 = "\x8F\x97" "1\x81`6";   // 女1～6

TEST(Summary, TakesEachFieldUnderItsGroupAndRowInTheDecimalsSet) {
  const std::string strata = StrataLine(3);
  std::vector<std::string> lines = {
      HeaderLine(kIron),
      std::string(ColumnTitleLine()) + ",\"" + std::string(kEarShare) + "\",\"" + std::string(kEarShareSe) + "\"",
      GroupLine(kMenAll, "30", "-0.04", "5", "12.5"),
      GroupLine(kMen1To6, "10", "6.25", "6.1", "0.5"),
      GroupLine(kMen70, "20", "-0.05", "4"),  // a line without the share columns
      GroupLine(kWomen1To6, "12", "7", "7"),
      strata,
      "",
      HeaderLine(kIronUsual),
      std::string(ColumnTitleLine()),
      GroupLine(kMenAll, "29", "2.25", "2"),
      GroupLine(kMen1To6, "10", "2.35", "2"),
      strata,
      "",
      HeaderLine(kCalcium),
      std::string(ColumnTitleLine()),
      GroupLine("\x92j1\x81`2", "5", "400.5", "399"),  // 男1～2: part 5's
      GroupLine("\x92j\x91S\x94N\x97\xEE", "5", "400.5", "399"),  // 男全年齢
      strata,
      "",
  };
  const std::vector<ReportBlock> blocks = ReadReportBlocks(lines);
  ASSERT_EQ(blocks.size(), 3u);
  EXPECT_EQ(BlockVariables(blocks),
            (std::vector<std::string>{std::string(kIron), std::string(kIron), std::string(kCalcium)}));

  SummaryDecimals decimals;
  decimals.byVariable[std::string(kIron)] = 1;
  decimals.shares = 0;
  const std::vector<SummarySection> sections = SummarySections(blocks, lines, decimals);
  // Two schemes: 男, 女 and 男女計 for each, named with the scheme.
  ASSERT_EQ(sections.size(), 6u);
  const std::string open = "\x81i", close = "\x81j";
  EXPECT_EQ(sections[0].title, "\x92j" + open + std::string(SchemeCaption(SchemeId::table1)) + close);
  EXPECT_EQ(sections[5].title, "\x92j\x8F\x97\x8Cv" + open + std::string(SchemeCaption(SchemeId::part5)) + close);

  // 男 of table 1: the nine age bands, then the four summaries.
  const SummarySection& men = sections[0];
  ASSERT_EQ(men.columns.size(), 13u);
  EXPECT_EQ(men.columns[0], "1\x81`6");
  EXPECT_EQ(men.columns[8], "70\x88\xC8\x8F\xE3");
  EXPECT_EQ(men.columns[9], "\x91\x8D\x90\x94");  // 総数
  // The persons differ between the blocks: each has its own row.
  std::vector<std::string> statistics, variables;
  for (const SummaryRow& row : men.rows) {
    statistics.push_back(row.statistic);
    variables.push_back(row.variable);
  }
  const std::string persons = "\x90l\x90\x94", mean = "\x95\xBD\x8B\xCF\x92l",
                    sd = "\x95W\x8F\x80\x95\xCE\x8D\xB7", median = "\x92\x86\x89\x9B\x92l";
  EXPECT_EQ(statistics, (std::vector<std::string>{persons, mean, sd, median, std::string(kEarShare),
                                                  persons, mean, sd, median}));
  EXPECT_EQ(variables, (std::vector<std::string>{std::string(kIron), "", "", "", "",
                                                 std::string(kIronUsual), "", "", ""}));
  const auto cell = [&](size_t row, size_t column) {
    return std::pair{men.rows[row].values[column], men.rows[row].texts[column]};
  };
  // Values as printed; texts in the decimals set, rounded as a person rounds.
  EXPECT_EQ(cell(1, 0), std::pair(std::optional<double>(6.25), std::string("6.3")));
  EXPECT_EQ(cell(1, 8), std::pair(std::optional<double>(-0.05), std::string("-0.1")));
  EXPECT_EQ(cell(1, 9), std::pair(std::optional<double>(-0.04), std::string("0.0")));
  EXPECT_EQ(cell(3, 0), std::pair(std::optional<double>(6.1), std::string("6.1")));
  EXPECT_EQ(cell(4, 9), std::pair(std::optional<double>(12.5), std::string("13")));
  EXPECT_EQ(cell(4, 8), std::pair(std::optional<double>(), std::string()));
  EXPECT_EQ(cell(1, 1), std::pair(std::optional<double>(), std::string()));  // 7～14: no line
  EXPECT_EQ(cell(0, 0), std::pair(std::optional<double>(10), std::string("10")));
  // The usual-intake block takes its variable's decimals.
  EXPECT_EQ(cell(6, 0), std::pair(std::optional<double>(2.35), std::string("2.4")));
  EXPECT_EQ(cell(5, 9), std::pair(std::optional<double>(29), std::string("29")));

  // 女 of table 1 holds both blocks' women; 男 of part 5 calcium's men alone,
  // under one shared row of persons, as printed.
  EXPECT_EQ(sections[1].rows[1].texts[0], "7.0");
  const SummarySection& part5Men = sections[3];
  ASSERT_EQ(part5Men.rows.size(), 4u);
  EXPECT_EQ(part5Men.rows[0].statistic, persons);
  EXPECT_EQ(part5Men.rows[0].variable, "");
  EXPECT_EQ(part5Men.rows[1].variable, kCalcium);
  EXPECT_EQ(part5Men.rows[1].texts.back(), "400.5");  // 全年齢, the last summary
}

}  // namespace
}  // namespace kelvara
