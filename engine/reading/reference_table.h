// A table of dietary reference values: which survey columns mean which
// nutrient, and the values per day by sex, age band and pregnancy, lactation
// or menstruation. The same CSV format serves the shipped tables and a
// user's own (reference/README.md).
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kelvara {

// The reference values a table may give; the DG in its three written forms.
enum class ReferenceKind : uint8_t {
  ear,      // estimated average requirement
  rda,      // recommended dietary allowance (read, not judged)
  ai,       // adequate intake
  ul,       // tolerable upper intake level
  dgMin,    // DG "X以上": outside below X
  dgBelow,  // DG "X未満": outside at X and above
  dgMax,    // DG "X以下": outside above X
};

// The condition a value row applies under; `general` is the band's own value.
enum class ReferenceState : uint8_t {
  general,
  pregnantEarly,
  pregnantMid,
  pregnantLate,
  pregnant,  // one value for every stage
  lactating,
  menstruating,
  notMenstruating,
};

// A decimal number exactly as written, so that a band's value plus an
// addition is the decimal sum and not a binary approximation of it.
struct ReferenceNumber {
  int64_t units = 0;  // the digits without the point
  int scale = 0;      // digits after the point

  double ToDouble() const;
  ReferenceNumber Plus(ReferenceNumber other) const;
};

// The oldest age a table's band may name. Older persons share the values of
// the table's open band, so judging takes this as their age.
inline constexpr int32_t kOldestReferenceAge = 150;

struct ReferenceValue {
  std::string key;
  int32_t sex = 0;  // 1 male, 2 female
  int32_t ageFrom = 1;
  std::optional<int32_t> ageTo;  // inclusive; none: no upper end
  ReferenceState state = ReferenceState::general;
  ReferenceKind kind = ReferenceKind::ear;
  bool addition = false;  // "+X": added to the general value of the band
  ReferenceNumber number;
  std::string unit;
  bool totalIntake = true;  // scope "total": only these are ever judged
  std::string source;
  int line = 0;  // in the file, from 1

  bool CoversAge(int32_t age) const { return age >= ageFrom && (!ageTo || age <= *ageTo); }
};

struct ReferenceTable {
  std::string title;  // code page 932, as the report prints it
  std::vector<std::pair<std::string, std::string>> names;  // (survey header, key)
  std::vector<ReferenceValue> values;

  // The key a survey column with this header text (code page 932) means:
  // its whole text after trimming blanks, or that text without a trailing
  // unit in brackets ("鉄(mg)", "鉄（mg）"); nothing when no name row matches.
  std::optional<std::string> KeyForHeader(std::string_view header) const;
  bool HasKey(std::string_view key) const;
};

// Turns UTF-8 text into code page 932; nothing when some character has no
// code page 932 form. The engine converts no text itself.
using TextConversion = std::function<std::optional<std::string>(std::string_view utf8)>;

// Parses a table held as code page 932 text. On a malformed record returns
// nothing and says in `error` which line and what is wrong.
std::optional<ReferenceTable> ParseReferenceTable(std::string_view cp932Text, std::string& error);

// Reads a table file in code page 932 or UTF-8 (with or without a byte order
// mark; UTF-8 text goes through `utf8ToCp932`).
std::optional<ReferenceTable> ReadReferenceTable(const std::filesystem::path& path,
                                                 const TextConversion& utf8ToCp932,
                                                 std::string& error);

}  // namespace kelvara
