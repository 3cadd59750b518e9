// Report line text: the %g numbers and the three forms of a group line.
#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdio>
#include <random>
#include <string>

#include "engine/report/report_format.h"

namespace kelvara {
namespace {

std::string PrintfG(double value) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%g", value);
  return buffer;
}

TEST(FormatNumber, MatchesPrintfGInTheCLocale) {
  std::mt19937_64 random(20261207);
  std::uniform_real_distribution<double> mantissa(-10.0, 10.0);
  std::uniform_int_distribution<int> exponent(-12, 12);
  for (int i = 0; i < 200000; ++i) {
    const double value = mantissa(random) * std::pow(10.0, exponent(random));
    ASSERT_EQ(FormatNumber(value), PrintfG(value)) << std::hexfloat << value;
  }
  // Halfway cases and the switches between fixed and exponent form.
  for (double value : {0.0, -0.0, 1.0, 2.5, 0.645497224367903, 123456.5, 999999.5, 1e6, 1e-4,
                       9.99999e-5, 0.000123456789, 1234567.0, 1e300, -1e-300, 5e-324}) {
    EXPECT_EQ(FormatNumber(value), PrintfG(value)) << std::hexfloat << value;
  }
}

TEST(FormatNumber, InfinityPrintsAndNotANumberIsEmpty) {
  EXPECT_EQ(FormatNumber(INFINITY), "inf");
  EXPECT_EQ(FormatNumber(-INFINITY), "-inf");
  EXPECT_EQ(FormatNumber(std::sqrt(-1.0)), "");
}

TEST(FormatNumber, IgnoresTheProcessLocale) {
  const std::string saved = std::setlocale(LC_ALL, nullptr);
  if (std::setlocale(LC_ALL, "de_DE.UTF-8") == nullptr) GTEST_SKIP() << "no de_DE.UTF-8";
  EXPECT_EQ(FormatNumber(2.5), "2.5");
  EXPECT_EQ(FormatNumber(1234567.0), "1.23457e+06");
  std::setlocale(LC_ALL, saved.c_str());
}

GroupStatistics Constant(int n, double x) {
  GroupStatistics s;
  s.n = n;
  s.mean = x;
  s.pct.fill(x);
  return s;
}

TEST(GroupLine, ThreeForms) {
  GroupStatistics none;
  none.nMissing = 2;
  EXPECT_EQ(GroupLine("L", none), "\"L\",0,2");
  EXPECT_EQ(GroupLine("L", Constant(1, 7)), "\"L\",1,0,7,,,7,7,7,7,7,7,7,7,7,7,7");
  GroupStatistics four;
  four.n = 4;
  four.mean = 2.5;
  four.sd = std::sqrt(5.0 / 3.0);
  four.se = std::sqrt(5.0 / 12.0);
  for (int p = 0; p <= 100; ++p) four.pct[static_cast<size_t>(p)] = p;
  EXPECT_EQ(GroupLine("L", four),
            "\"L\",4,0,2.5,1.29099,0.645497,0,1,5,10,25,50,75,90,95,99,100");
}

TEST(StrataLine, OneUnitIsSimpleRandomSampling) {
  EXPECT_EQ(StrataLine(0), "\"\x91w\x82\xCC\x90\x94\x81" "F0\"");
  EXPECT_EQ(StrataLine(2), "\"\x91w\x82\xCC\x90\x94\x81" "F2\"");
  EXPECT_EQ(StrataLine(1).substr(0, 7), "\"\x91w\x82\xCC\x90\x94");
  EXPECT_EQ(StrataLine(1).back(), '"');
}

TEST(HeaderLine, NameOfAnyLengthInBrackets) {
  EXPECT_EQ(HeaderLine("E"), "\"\x81yE\x81z\"");
  const std::string longName(5000, 'n');
  EXPECT_EQ(HeaderLine(longName).size(), longName.size() + 6);
}

}  // namespace
}  // namespace kelvara
