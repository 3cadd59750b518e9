#include "engine/reading/cell_number.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <system_error>

namespace kelvara {
namespace {

// White space as the C locale's isspace sees it.
bool IsCSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

size_t SkipCSpace(std::string_view text, size_t pos) {
  while (pos < text.size() && IsCSpace(text[pos])) ++pos;
  return pos;
}

// Skips leading white space and one sign; returns where the digits start.
size_t SkipSpaceAndSign(std::string_view text, bool& negative) {
  size_t pos = SkipCSpace(text, 0);
  negative = pos < text.size() && text[pos] == '-';
  if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) ++pos;
  return pos;
}

// Decimals of at most 15 digits fit a double's 53-bit integer range exactly.
constexpr size_t kExactDigits = 15;
constexpr double kPowersOfTen[kExactDigits + 1] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                                    1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};

size_t SkipDigits(std::string_view text, size_t pos) {
  while (pos < text.size() && IsDigit(text[pos])) ++pos;
  return pos;
}

// Whether an out-of-range decimal (digits, fraction, exponent; no sign) is too
// large rather than too small: its first significant digit stands at a
// positive power of ten.
bool OverflowsRatherThanUnderflows(std::string_view number) {
  long long exponent = 0;
  const size_t e = number.find_first_of("eE");
  if (e != std::string_view::npos) {
    size_t pos = e + 1;
    const bool negative = pos < number.size() && number[pos] == '-';
    if (pos < number.size() && (number[pos] == '-' || number[pos] == '+')) ++pos;
    for (; pos < number.size(); ++pos) {
      exponent = std::min(exponent * 10 + (number[pos] - '0'), 1000000000LL);
    }
    if (negative) exponent = -exponent;
  }
  const std::string_view mantissa = number.substr(0, e);
  const size_t point = mantissa.find('.');
  const size_t integerDigits = point == std::string_view::npos ? mantissa.size() : point;
  const size_t firstNonZero = mantissa.find_first_not_of("0.");
  // Position of the first significant digit relative to the decimal point.
  const long long lead = firstNonZero < integerDigits
                             ? static_cast<long long>(integerDigits - firstNonZero)
                             : -static_cast<long long>(firstNonZero - integerDigits - 1);
  return exponent + lead > 0;
}

}  // namespace

int32_t LeadingInteger(std::string_view text) {
  bool negative = false;
  size_t pos = SkipSpaceAndSign(text, negative);
  constexpr int64_t kMax = std::numeric_limits<int32_t>::max();
  constexpr int64_t kMin = std::numeric_limits<int32_t>::min();
  int64_t magnitude = 0;
  for (; pos < text.size() && IsDigit(text[pos]); ++pos) {
    magnitude = std::min<int64_t>(magnitude * 10 + (text[pos] - '0'), -kMin);
  }
  const int64_t value = negative ? -magnitude : magnitude;
  return static_cast<int32_t>(std::clamp(value, kMin, kMax));
}

DecimalNumber ReadDecimal(std::string_view text) {
  bool negative = false;
  size_t pos = SkipSpaceAndSign(text, negative);
  const size_t start = pos;
  // The digits as one integer, for short decimals (longer ones wrap around
  // harmlessly: they take the general conversion below).
  uint64_t digits = 0;
  auto readDigits = [&](size_t from) {
    size_t at = from;
    for (; at < text.size() && IsDigit(text[at]); ++at) {
      digits = digits * 10 + static_cast<uint64_t>(text[at] - '0');
    }
    return at;
  };
  size_t end = readDigits(pos);
  size_t digitCount = end - start;
  size_t fractionDigits = 0;
  if (end < text.size() && text[end] == '.') {
    const size_t fractionEnd = readDigits(end + 1);
    fractionDigits = fractionEnd - (end + 1);
    digitCount += fractionDigits;
    end = fractionEnd;
  }
  if (digitCount == 0) return {};
  bool hasExponent = false;
  if (end < text.size() && (text[end] == 'e' || text[end] == 'E')) {
    size_t exponentPos = end + 1;
    if (exponentPos < text.size() && (text[exponentPos] == '+' || text[exponentPos] == '-')) {
      ++exponentPos;
    }
    const size_t exponentEnd = SkipDigits(text, exponentPos);
    if (exponentEnd > exponentPos) {
      end = exponentEnd;
      hasExponent = true;
    }
  }

  const std::string_view number = text.substr(start, end - start);
  DecimalNumber result;
  if (!hasExponent && digitCount <= kExactDigits) {
    // Survey values such as 123.45: the digits form an integer below 2^53 and
    // ten to the number of decimals is exact, so one division gives the
    // correctly rounded value, the same as the general conversion.
    result.value = static_cast<double>(digits) / kPowersOfTen[fractionDigits];
    if (negative) result.value = -result.value;
    return result;
  }
  const auto [ptr, error] =
      std::from_chars(number.data(), number.data() + number.size(), result.value);
  if (error == std::errc::result_out_of_range) {
    if (OverflowsRatherThanUnderflows(number)) {
      result.value = std::numeric_limits<double>::infinity();
      result.outOfRange = true;
    } else {
      result.value = 0.0;
    }
  }
  if (negative) result.value = -result.value;
  return result;
}

CellValue ReadCell(std::string_view text) {
  const DecimalNumber number = ReadDecimal(text);
  if (number.outOfRange) return {number.value, false};
  if (number.value != 0.0) return {number.value, true};
  size_t pos = 0;
  // Blanks, control bytes and every byte from 0x80 up (negative as a signed
  // char) are skipped; a NUL byte ends the cell as it would a C string.
  while (pos < text.size() && text[pos] != '\0' && static_cast<signed char>(text[pos]) <= 32) {
    ++pos;
  }
  if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) ++pos;
  const std::string_view rest = text.substr(pos);
  return {number.value, rest.starts_with('0') || rest.starts_with(".0")};
}

bool IsValidCell(std::string_view text) { return ReadCell(text).valid; }

}  // namespace kelvara
