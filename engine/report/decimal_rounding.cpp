#include "engine/report/decimal_rounding.h"

#include <cassert>
#include <charconv>

namespace kelvara {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Adds one to a string of decimal digits.
void Increment(std::string& digits) {
  for (size_t i = digits.size(); i-- > 0;) {
    if (digits[i] != '9') {
      ++digits[i];
      return;
    }
    digits[i] = '0';
  }
  digits.insert(digits.begin(), '1');
}

}  // namespace

std::string RoundedDecimal(std::string_view number, int decimals) {
  assert(decimals >= 0 && decimals <= 20 && "a number of decimals a table can show");
  std::string_view rest = number;
  const bool negative = rest.starts_with('-');
  if (negative || rest.starts_with('+')) rest.remove_prefix(1);
  // The digits of the number, and the power of ten of their last one.
  std::string digits;
  int exponent = 0;
  bool point = false, anyDigit = false;
  while (!rest.empty() && (IsDigit(rest.front()) || (rest.front() == '.' && !point))) {
    if (rest.front() == '.') {
      point = true;
    } else {
      digits += rest.front();
      anyDigit = true;
      if (point) --exponent;
    }
    rest.remove_prefix(1);
  }
  if (!anyDigit) return std::string(number);
  if (!rest.empty() && (rest.front() == 'e' || rest.front() == 'E')) {
    rest.remove_prefix(1);
    if (rest.starts_with('+')) rest.remove_prefix(1);
    int power = 0;
    const auto [end, error] = std::from_chars(rest.data(), rest.data() + rest.size(), power);
    if (error != std::errc() || power < -400 || power > 400) return std::string(number);
    rest.remove_prefix(static_cast<size_t>(end - rest.data()));
    exponent += power;
  }
  if (!rest.empty()) return std::string(number);

  // The number times 10^decimals, rounded to a whole number, a half up.
  const int shift = exponent + decimals;
  std::string whole;
  if (shift >= 0) {
    whole = digits + std::string(static_cast<size_t>(shift), '0');
  } else {
    const size_t cut = static_cast<size_t>(-shift);
    if (cut <= digits.size()) {
      whole = digits.substr(0, digits.size() - cut);
      if (digits[digits.size() - cut] >= '5') Increment(whole);
    }
  }
  const size_t first = whole.find_first_not_of('0');
  whole = first == std::string::npos ? std::string() : whole.substr(first);
  const bool zero = whole.empty();
  if (whole.size() < static_cast<size_t>(decimals) + 1) {
    whole.insert(0, static_cast<size_t>(decimals) + 1 - whole.size(), '0');
  }
  if (decimals > 0) whole.insert(whole.size() - static_cast<size_t>(decimals), 1, '.');
  return negative && !zero ? "-" + whole : whole;
}

}  // namespace kelvara
