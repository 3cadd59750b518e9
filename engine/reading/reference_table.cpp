#include "engine/reading/reference_table.h"

#include <algorithm>
#include <cassert>
#include <charconv>
#include <climits>
#include <cstdio>
#include <limits>
#include <map>
#include <memory>

#include "engine/reading/csv_line.h"
#include "engine/reading/cp932_text.h"
#include "engine/reading/reference_table_rules.h"
#include "engine/reading/text_encoding.h"
#include "platform/file_opening.h"

namespace kelvara {
namespace {

constexpr int kCellLimit = 64;

constexpr size_t kValueCells = 11;

std::optional<ReferenceNumber> ParseNumber(std::string_view text) {
  ReferenceNumber number;
  bool digits = false, point = false;
  int integerDigits = 0;
  for (char c : text) {
    if (c == '.' && !point) {
      point = true;
    } else if (c >= '0' && c <= '9') {
      if (point) {
        if (++number.scale > ReferenceNumber::kMaxDigits) return std::nullopt;
      } else if ((integerDigits > 0 || c != '0') && ++integerDigits > ReferenceNumber::kMaxDigits) {
        return std::nullopt;
      }
      number.units = number.units * 10 + (c - '0');
      digits = true;
    } else {
      return std::nullopt;
    }
  }
  if (!digits) return std::nullopt;
  return number;
}

std::optional<int32_t> ParseAge(std::string_view text) {
  int32_t age = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), age);
  if (error != std::errc() || end != text.data() + text.size() || age < 0 ||
      age > kOldestReferenceAge) {
    return std::nullopt;
  }
  return age;
}

const std::map<std::string_view, ReferenceState> kStates = {
    {"", ReferenceState::general},
    {"pregnant_early", ReferenceState::pregnantEarly},
    {"pregnant_mid", ReferenceState::pregnantMid},
    {"pregnant_late", ReferenceState::pregnantLate},
    {"pregnant", ReferenceState::pregnant},
    {"lactating", ReferenceState::lactating},
    {"menstruating", ReferenceState::menstruating},
    {"not_menstruating", ReferenceState::notMenstruating}};

const std::map<std::string_view, ReferenceKind> kKinds = {
    {"EAR", ReferenceKind::ear},       {"RDA", ReferenceKind::rda},
    {"AI", ReferenceKind::ai},         {"UL", ReferenceKind::ul},
    {"DG_min", ReferenceKind::dgMin},  {"DG_below", ReferenceKind::dgBelow},
    {"DG_max", ReferenceKind::dgMax}};

bool IsPregnancyOrLactation(ReferenceState state) {
  return state != ReferenceState::general && state != ReferenceState::menstruating &&
         state != ReferenceState::notMenstruating;
}

// A cell quoted in a message when it is plain ASCII; the messages are UTF-8
// and a table's own text is code page 932.
std::string Quoted(std::string_view cell) {
  const bool ascii = std::all_of(cell.begin(), cell.end(), [](char c) { return c >= 0x20 && c < 0x7F; });
  if (!ascii || cell.size() > 40) return "";
  return "「" + std::string(cell) + "」";
}

const std::string kKeyRule =
    "栄養素のキーは英小文字で始まり、英小文字・数字・_ だけからなります（例：vitamin_c）";

// Cells beyond a record's own are allowed only empty, as a spreadsheet pads
// every row to the widest.
bool HasExtraText(const std::vector<std::string_view>& cells, size_t own) {
  for (size_t c = own; c < cells.size(); ++c) {
    if (!cells[c].empty()) return true;
  }
  return false;
}

// One value record; an empty message when it is sound.
std::string ReadValue(const std::vector<std::string_view>& cells, ReferenceValue& value) {
  if (cells.size() < kValueCells - 1 || HasExtraText(cells, kValueCells)) {
    return "value の行は value,キー,性別,年齢（から）,年齢（まで）,状態,指標,値,単位,範囲,出典 の"
           "11列です";
  }
  value.key = cells[1];
  if (!IsNutrientKey(value.key)) return "栄養素のキー" + Quoted(value.key) + "が規則に合いません：" + kKeyRule;
  if (cells[2] == "1" || cells[2] == "2") {
    value.sex = cells[2][0] - '0';
  } else {
    return "性別は 1（男）か 2（女）です";
  }
  const auto state = kStates.find(cells[5]);
  if (state == kStates.end()) {
    return "状態" + Quoted(cells[5]) + "は空欄、pregnant_early、pregnant_mid、pregnant_late、pregnant、"
           "lactating、menstruating、not_menstruating のどれかです";
  }
  value.state = state->second;
  if (value.state != ReferenceState::general && value.sex != 2) {
    return "妊娠・授乳・月経の行は性別 2 です";
  }
  if (!cells[3].empty()) {
    const auto from = ParseAge(cells[3]);
    if (!from) return "年齢（から）は 0～150 の整数（歳）です";
    value.ageFrom = *from;
  } else if (!IsPregnancyOrLactation(value.state)) {
    return "年齢（から）を空欄にできるのは妊娠・授乳の行だけです";
  } else if (!cells[4].empty()) {
    return "年齢（まで）を書くときは年齢（から）も書きます";
  }
  if (!cells[4].empty()) {
    value.ageTo = ParseAge(cells[4]);
    if (!value.ageTo || *value.ageTo < value.ageFrom) {
      return "年齢（まで）は年齢（から）以上、150 以下の整数（歳）です";
    }
  }
  const auto kind = kKinds.find(cells[6]);
  if (kind == kKinds.end()) {
    return "指標" + Quoted(cells[6]) + "は EAR、RDA、AI、UL、DG_min、DG_below、DG_max のどれかです";
  }
  value.kind = kind->second;
  std::string_view number = cells[7];
  if (number.starts_with('+')) {
    if (!IsPregnancyOrLactation(value.state)) return "+ の付加量は妊娠・授乳の行だけに書けます";
    value.addition = true;
    number.remove_prefix(1);
  }
  const auto parsed = ParseNumber(number);
  if (!parsed) return "値は小数点の前と後ろそれぞれ 9 桁までの数です（例：7.5）";
  value.number = *parsed;
  value.unit = cells[8];
  if (cells.size() < kValueCells || cells[8].empty() || cells[9].empty() || cells[10].empty()) {
    return "単位・範囲（total など）・出典は空欄にできません";
  }
  value.totalIntake = cells[9] == "total";
  value.source = cells[10];
  return {};
}

// The code point of a UTF-8 character of `length` bytes; nothing when the
// bytes do not form one.
std::optional<uint32_t> CodePoint(std::string_view character) {
  const auto lead = static_cast<unsigned char>(character[0]);
  uint32_t point = character.size() == 1 ? lead
                   : character.size() == 2 ? lead & 0x1Fu
                   : character.size() == 3 ? lead & 0x0Fu
                                           : lead & 0x07u;
  for (size_t i = 1; i < character.size(); ++i) {
    const auto trail = static_cast<unsigned char>(character[i]);
    if ((trail & 0xC0) != 0x80) return std::nullopt;
    point = (point << 6) | (trail & 0x3Fu);
  }
  return point;
}

// UTF-8 text in code page 932. A character it lacks is written as its code
// point, "&#x2081;": a citation keeps its sense, and a name such as
// "ビタミンB₁" stays a name of its own that no code page 932 header can
// match, instead of becoming "ビタミンB?" beside "ビタミンB?" for B2 and B6.
std::string ToCp932(std::string_view utf8, const TextConversion& convert) {
  std::string text;
  for (size_t at = 0; at < utf8.size();) {
    const unsigned char lead = static_cast<unsigned char>(utf8[at]);
    const size_t length =
        std::min(utf8.size() - at, size_t{lead < 0x80 ? 1u : lead < 0xE0 ? 2u : lead < 0xF0 ? 3u : 4u});
    const std::string_view character = utf8.substr(at, length);
    if (const std::optional<std::string> converted = convert(character)) {
      text.append(*converted);
    } else if (const std::optional<uint32_t> point = CodePoint(character)) {
      char escaped[16];
      std::snprintf(escaped, sizeof escaped, "&#x%X;", static_cast<unsigned>(*point));
      text.append(escaped);
    } else {
      text.push_back('?');
    }
    at += length;
  }
  return text;
}

// Reads every record, passing over those that break the format after noting
// why, then checks the records against each other.
ReferenceTable ParseAll(std::string_view text, std::vector<TableProblem>& problems) {
  ReferenceTable table;
  std::vector<int> nameLines;
  std::string cellText;
  std::vector<std::string_view> cells;
  int titleLine = 0;
  int lineNumber = 0;
  auto fail = [&](std::string what) { problems.push_back({lineNumber, 0, std::move(what)}); };
  if (text.starts_with(kUtf8ByteOrderMark)) text.remove_prefix(kUtf8ByteOrderMark.size());
  while (!text.empty()) {
    ++lineNumber;
    const size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    if (line.ends_with('\r')) line.remove_suffix(1);
    if (IsBlankLine(line)) continue;
    SplitLine(line, kCellLimit, cellText, cells);
    const std::string_view record = cells.front();
    if (record.starts_with('#')) continue;
    if (record == "title") {
      if (titleLine > 0) {
        fail("title の行が 2 つあります（" + std::to_string(titleLine) + "行目にも）");
      } else if (cells.size() < 2 || cells[1].empty() || HasExtraText(cells, 2)) {
        fail("title の行は title,<表の名前> です");
      } else {
        table.title = cells[1];
        titleLine = lineNumber;
      }
    } else if (record == "name") {
      if (cells.size() < 3 || TrimBlanks(cells[2]).empty() || HasExtraText(cells, 3)) {
        fail("name の行は name,<キー>,<調査の列名> です");
      } else if (!IsNutrientKey(cells[1])) {
        fail("栄養素のキー" + Quoted(cells[1]) + "が規則に合いません：" + kKeyRule);
      } else {
        table.names.emplace_back(std::string(TrimBlanks(cells[2])), std::string(cells[1]));
        nameLines.push_back(lineNumber);
      }
    } else if (record == "value") {
      ReferenceValue value;
      value.line = lineNumber;
      if (std::string what = ReadValue(cells, value); !what.empty()) {
        fail(std::move(what));
      } else {
        table.values.push_back(std::move(value));
      }
    } else {
      fail("行の種類" + Quoted(record) + "は title、name、value のどれかです（# で始まる行は注記）");
    }
  }
  if (titleLine == 0) problems.push_back({0, 0, "title の行（表の名前）がありません"});
  AddCrossRecordProblems(table, nameLines, problems);
  // In line order; what concerns the table as a whole last.
  std::stable_sort(problems.begin(), problems.end(), [](const TableProblem& a, const TableProblem& b) {
    return (a.line == 0 ? INT_MAX : a.line) < (b.line == 0 ? INT_MAX : b.line);
  });
  return table;
}

}  // namespace

bool IsNutrientKey(std::string_view key) {
  if (key.empty() || key.front() < 'a' || key.front() > 'z') return false;
  return std::all_of(key.begin(), key.end(), [](char c) {
    return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
  });
}

double ReferenceNumber::ToDouble(int powerOfTen) const {
  assert(units >= 0 && scale >= 0 && "a number as the parser reads it");
  // The nearest double to the decimal, as from_chars rounds it.
  const std::string text = std::to_string(units) + "e" + std::to_string(powerOfTen - scale);
  double value = 0.0;
  std::from_chars(text.data(), text.data() + text.size(), value);
  return value;
}

ReferenceNumber ReferenceNumber::Plus(ReferenceNumber other) const {
  ReferenceNumber a = *this;
  // Within the table's limits every aligned operand is below 10^18, and so
  // the sum below 2 * 10^18: nothing here can overflow.
  [[maybe_unused]] constexpr int64_t kAlignedLimit = 1'000'000'000'000'000'000;
  auto align = [](ReferenceNumber& n, int scale) {
    assert(n.scale >= 0 && n.scale <= kMaxDigits && "a number within the table's limits");
    for (; n.scale < scale; ++n.scale) n.units *= 10;
    assert(n.units >= 0 && n.units < kAlignedLimit && "a number within the table's limits");
  };
  const int scale = std::max(a.scale, other.scale);
  align(a, scale);
  align(other, scale);
  a.units += other.units;
  return a;
}

std::optional<std::string> ReferenceTable::KeyForHeader(std::string_view header) const {
  const std::string_view whole = TrimBlanks(header);
  for (const auto& [name, key] : names) {
    if (name == whole) return key;
  }
  const BracketSplit split = SplitTrailingBracket(whole);
  if (!split.inside) return std::nullopt;
  for (const auto& [name, key] : names) {
    if (name == split.before) return key;
  }
  return std::nullopt;
}

std::optional<std::string> ReferenceTable::HeaderUnit(std::string_view header) const {
  const std::string_view whole = TrimBlanks(header);
  if (std::any_of(names.begin(), names.end(), [&](const auto& name) { return name.first == whole; })) {
    return std::nullopt;
  }
  const BracketSplit split = SplitTrailingBracket(whole);
  if (!split.inside) return std::nullopt;
  return std::string(TrimBlanks(*split.inside));
}

bool ReferenceTable::HasKey(std::string_view key) const {
  return std::any_of(values.begin(), values.end(),
                     [&](const ReferenceValue& value) { return value.key == key; });
}

std::string ReferenceTable::UnitOf(std::string_view key) const {
  for (const ReferenceValue& value : values) {
    if (value.key == key && value.totalIntake) return value.unit;
  }
  return {};
}

std::vector<std::string> ReferenceTableProblems(std::string_view text) {
  std::vector<TableProblem> problems;
  ParseAll(text, problems);
  std::vector<std::string> messages;
  messages.reserve(problems.size());
  for (const TableProblem& problem : problems) messages.push_back(problem.Message());
  return messages;
}

std::optional<ReferenceTable> ParseReferenceTable(std::string_view text, std::string& error) {
  std::vector<TableProblem> problems;
  ReferenceTable table = ParseAll(text, problems);
  if (problems.empty()) return table;
  error = problems.front().Message();
  if (problems.size() > 1) error += "（ほかに " + std::to_string(problems.size() - 1) + " 件）";
  return std::nullopt;
}

std::optional<std::string> ReadReferenceText(const std::filesystem::path& path,
                                             const TextConversion& utf8ToCp932,
                                             std::string& error) {
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(OpenFileStream(path, "rb"), &std::fclose);
  if (!file) {
    error = "基準値表のファイルを開けません";
    return std::nullopt;
  }
  std::string text;
  char buffer[65536];
  for (size_t got; (got = std::fread(buffer, 1, sizeof buffer, file.get())) > 0;) {
    text.append(buffer, got);
    if (text.size() > (size_t{64} << 20)) {
      error = "基準値表のファイルが 64 MB を超えています";
      return std::nullopt;
    }
  }
  if (std::ferror(file.get())) {
    error = "基準値表のファイルを読めません";
    return std::nullopt;
  }
  const bool byteOrderMark = std::string_view(text).starts_with(kUtf8ByteOrderMark);
  if (byteOrderMark || LooksLikeUtf8(text)) {
    if (byteOrderMark) text.erase(0, kUtf8ByteOrderMark.size());
    if (!utf8ToCp932) {
      error = "基準値表が UTF-8 で、ここでは変換できません";
      return std::nullopt;
    }
    text = ToCp932(text, utf8ToCp932);
  }
  return text;
}

std::optional<ReferenceTable> ReadReferenceTable(const std::filesystem::path& path,
                                                 const TextConversion& utf8ToCp932,
                                                 std::string& error) {
  const std::optional<std::string> text = ReadReferenceText(path, utf8ToCp932, error);
  if (!text) return std::nullopt;
  return ParseReferenceTable(*text, error);
}

}  // namespace kelvara
