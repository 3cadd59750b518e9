// Reading numbers from cells: leading integers, decimal values, usable cells.
#include <gtest/gtest.h>

#include <charconv>
#include <clocale>
#include <cmath>
#include <limits>
#include <random>
#include <string>

#include "engine/reading/cell_number.h"

namespace kelvara {
namespace {

TEST(LeadingInteger, ReadsLikeATextToLongConversion) {
  EXPECT_EQ(LeadingInteger("2"), 2);
  EXPECT_EQ(LeadingInteger("2.0"), 2);
  EXPECT_EQ(LeadingInteger(" \t-15abc"), -15);
  EXPECT_EQ(LeadingInteger("+7"), 7);
  EXPECT_EQ(LeadingInteger(""), 0);
  EXPECT_EQ(LeadingInteger("abc"), 0);
  EXPECT_EQ(LeadingInteger("- 5"), 0);
  EXPECT_EQ(LeadingInteger("0x1F"), 0) << "decimal digits only";
}

TEST(LeadingInteger, SaturatesAtTheSigned32BitRange) {
  EXPECT_EQ(LeadingInteger("2147483647"), 2147483647);
  EXPECT_EQ(LeadingInteger("4294967297"), 2147483647) << "must not wrap to 1";
  EXPECT_EQ(LeadingInteger("-2147483648"), -2147483647 - 1);
  EXPECT_EQ(LeadingInteger("-2147483649"), -2147483647 - 1);
  EXPECT_EQ(LeadingInteger("99999999999999999999999999"), 2147483647);
}

TEST(DecimalValue, ReadsDecimalNotation) {
  EXPECT_EQ(DecimalValue("12"), 12.0);
  EXPECT_EQ(DecimalValue(" -3.5"), -3.5);
  EXPECT_EQ(DecimalValue(".5"), 0.5);
  EXPECT_EQ(DecimalValue("5."), 5.0);
  EXPECT_EQ(DecimalValue("+1.25e2x"), 125.0);
  EXPECT_EQ(DecimalValue("1e"), 1.0) << "an exponent needs digits";
  EXPECT_EQ(DecimalValue("1e+"), 1.0);
  EXPECT_EQ(DecimalValue("0.1"), 0.1);
  EXPECT_EQ(DecimalValue("NA"), 0.0);
  EXPECT_EQ(DecimalValue("."), 0.0);
}

TEST(DecimalValue, CorrectlyRoundedLikeTheGeneralConversion) {
  // Short decimals take a quicker path than long ones; both must give the
  // double nearest to the decimal.
  std::mt19937_64 random(42);
  for (int i = 0; i < 200000; ++i) {
    const int digits = 1 + static_cast<int>(random() % 18);
    const int point = static_cast<int>(random() % static_cast<uint64_t>(digits + 1));
    std::string text;
    for (int d = 0; d < digits; ++d) {
      if (d == point) text.push_back('.');
      text.push_back(static_cast<char>('0' + random() % 10));
    }
    if (point == digits) text.push_back('.');
    double expected = 0;
    std::from_chars(text.data(), text.data() + text.size(), expected);
    ASSERT_EQ(DecimalValue(text), expected) << text;
    std::string negated = text;
    negated.insert(negated.begin(), '-');
    ASSERT_EQ(DecimalValue(negated), -expected) << negated;
  }
}

TEST(DecimalValue, NoHexadecimalInfinityOrNanWords) {
  EXPECT_EQ(DecimalValue("0x10"), 0.0);
  EXPECT_EQ(DecimalValue("inf"), 0.0);
  EXPECT_EQ(DecimalValue("-Infinity"), 0.0);
  EXPECT_EQ(DecimalValue("nan"), 0.0);
}

TEST(DecimalValue, BeyondTheRangeOfADouble) {
  const DecimalNumber huge = ReadDecimal("1e999");
  EXPECT_TRUE(huge.outOfRange);
  EXPECT_EQ(huge.value, std::numeric_limits<double>::infinity());
  EXPECT_EQ(ReadDecimal("-1e999").value, -std::numeric_limits<double>::infinity());
  EXPECT_TRUE(ReadDecimal(std::string(400, '9')).outOfRange);
  // Too small is zero, not an error.
  const DecimalNumber tiny = ReadDecimal("1e-400");
  EXPECT_FALSE(tiny.outOfRange);
  EXPECT_EQ(tiny.value, 0.0);
  EXPECT_FALSE(ReadDecimal("0." + std::string(400, '0') + "1").outOfRange);
  EXPECT_EQ(DecimalValue("4.9e-324"), std::numeric_limits<double>::denorm_min());
}

TEST(IsValidCell, UsableNumbers) {
  for (const char* text : {"12", "-3.5", ".5", "0", " -0", "0.00", ".0", "0abc", "+0", "1e3"}) {
    EXPECT_TRUE(IsValidCell(text)) << text;
  }
}

TEST(IsValidCell, NotNumbers) {
  for (const char* text : {"", "  ", "-", ".", "abc", "NA", "1e999", "-1e999", "1e-400", "inf",
                           "nan", "+-0", ". 0"}) {
    EXPECT_FALSE(IsValidCell(text)) << text;
  }
}

TEST(IsValidCell, ZeroAfterBlanksControlBytesAndHighBytes) {
  // Bytes from 0x80 up are skipped like blanks before a zero, but the trail
  // byte of a full-width space (0x81 0x40) is '@' and stops the skip.
  EXPECT_TRUE(IsValidCell("\x81\x81" "0"));
  EXPECT_FALSE(IsValidCell("\x81\x40" "0"));
  EXPECT_TRUE(IsValidCell("\t\x01-0"));
  // A full-width zero (0x82 0x4F) is not a number.
  EXPECT_FALSE(IsValidCell("\x82\x4F"));
  // A NUL byte ends the cell.
  EXPECT_FALSE(IsValidCell(std::string_view(" \0" "0", 3)));
}

TEST(CellNumbers, DoNotFollowTheProcessLocale) {
  const char* previous = std::setlocale(LC_ALL, nullptr);
  const std::string saved = previous ? previous : "C";
  if (std::setlocale(LC_ALL, "de_DE.UTF-8") == nullptr) {
    GTEST_SKIP() << "de_DE.UTF-8 is not installed";
  }
  EXPECT_EQ(DecimalValue("1.5"), 1.5);
  EXPECT_EQ(DecimalValue("1,5"), 1.0);
  EXPECT_TRUE(IsValidCell("0.0"));
  std::setlocale(LC_ALL, saved.c_str());
}

}  // namespace
}  // namespace kelvara
