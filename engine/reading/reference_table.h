// A table of dietary reference values: which survey columns mean which
// nutrient, and the values per day by sex, age band and pregnancy, lactation
// or menstruation. The same CSV format serves the shipped tables and a
// user's own (reference/README.md), and the same strict reading: a table the
// program would judge by is one that keeps every rule of the format.
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
  // A table's numbers have at most this many digits before the point and
  // after it: two of them, aligned to one scale and added, stay far inside
  // 64 bits (below 2 * 10^18).
  static constexpr int kMaxDigits = 9;

  int64_t units = 0;  // the digits without the point
  int scale = 0;      // digits after the point

  // The nearest double to the number times 10^powerOfTen: a change of unit
  // (mg to µg is 3) is a shift of the point, exact before the one rounding.
  double ToDouble(int powerOfTen = 0) const;
  // The exact sum. Both numbers must keep the table's limits.
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

  // The nutrient a survey column with this header text (code page 932)
  // means: its whole text after trimming blanks, or that text without a
  // trailing part in brackets ("鉄(mg)", "鉄（mg）"); nothing when no name row
  // matches.
  std::optional<std::string> KeyForHeader(std::string_view header) const;
  // The unit a header names: what its trailing brackets hold, unless the
  // whole header is a name of the table ("ビタミンA（レチノール活性当量）");
  // nothing when it names none.
  std::optional<std::string> HeaderUnit(std::string_view header) const;
  bool HasKey(std::string_view key) const;
  // The unit of the key's values for total intake (one unit per key, the
  // format's rule); empty when it has none.
  std::string UnitOf(std::string_view key) const;
};

// Turns UTF-8 text into code page 932; nothing when some character has no
// code page 932 form. The engine converts no text itself.
using TextConversion = std::function<std::optional<std::string>(std::string_view utf8)>;

// The rule nutrient keys follow, as the messages state it.
bool IsNutrientKey(std::string_view key);

// Parses a table held as code page 932 text. When a record breaks the
// format, or records contradict each other (two values for one band, one
// survey column name for two nutrients, ...), returns nothing and says in
// `error` what is wrong and on which lines (UTF-8), the first problem and
// how many more there are.
std::optional<ReferenceTable> ParseReferenceTable(std::string_view cp932Text, std::string& error);

// Every problem of a table held as code page 932 text, in line order, each
// naming its lines (UTF-8); none when the table may be judged by.
std::vector<std::string> ReferenceTableProblems(std::string_view cp932Text);

// The text of a table file in code page 932, from code page 932 or UTF-8
// (with or without a byte order mark; UTF-8 text goes through
// `utf8ToCp932`); nothing, with the reason in `error`, when it cannot be read.
std::optional<std::string> ReadReferenceText(const std::filesystem::path& path,
                                             const TextConversion& utf8ToCp932,
                                             std::string& error);

// Reads and parses a table file.
std::optional<ReferenceTable> ReadReferenceTable(const std::filesystem::path& path,
                                                 const TextConversion& utf8ToCp932,
                                                 std::string& error);

}  // namespace kelvara
