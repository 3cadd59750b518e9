#include "engine/reading/reference_unit.h"

#include "engine/reading/cp932_text.h"

namespace kelvara {
namespace {

constexpr std::string_view kPerDay = "/\x93\xFA";  // /日
constexpr std::string_view kEnergyPercent = "%\x83G\x83l\x83\x8B\x83M\x81[";  // %エネルギー

// The prefixes of a mass, longest first so that "mg" is not read as "m" and g.
struct Prefix {
  std::string_view text;
  int powerOfTen;
};
constexpr Prefix kMassPrefixes[] = {
    {"\xC2\xB5g", -6},  // µg, the micro sign in UTF-8 (a name not yet converted)
    {"\xCE\xBCg", -6},  // μg, the Greek mu in UTF-8
    {"\x83\xCAg", -6},  // μg in code page 932
    {"ug", -6},
    {"mg", -3},
    {"g", 0},
};

}  // namespace

MeasureUnit MeasureUnit::Read(std::string_view text) {
  std::string unit = FoldFullWidthAscii(TrimBlanks(text));
  for (std::string_view perDay : {kPerDay, std::string_view("/d"), std::string_view("/day")}) {
    if (std::string_view(unit).ends_with(perDay)) {
      unit.resize(unit.size() - perDay.size());
      break;
    }
  }
  MeasureUnit read;
  if (unit == "%" || unit == "%E" || unit == kEnergyPercent) {
    read.rest = kEnergyPercent;
    return read;
  }
  for (const Prefix& prefix : kMassPrefixes) {
    if (std::string_view(unit).starts_with(prefix.text)) {
      read.massPowerOfTen = prefix.powerOfTen;
      read.rest = unit.substr(prefix.text.size());
      return read;
    }
  }
  read.rest = unit;
  return read;
}

std::string MeasureUnit::Written() const {
  if (!massPowerOfTen) return rest;
  const std::string_view prefix = *massPowerOfTen == 0    ? "g"
                                  : *massPowerOfTen == -3 ? "mg"
                                                          : "\x83\xCAg";
  return std::string(prefix) + rest;
}

std::optional<int> PowerOfTenBetween(const MeasureUnit& from, const MeasureUnit& to) {
  if (from.rest != to.rest || from.massPowerOfTen.has_value() != to.massPowerOfTen.has_value()) {
    return std::nullopt;
  }
  if (!from.massPowerOfTen) return 0;
  return *from.massPowerOfTen - *to.massPowerOfTen;
}

}  // namespace kelvara
