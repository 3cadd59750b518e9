#include "engine/reading/reference_table.h"

#include <charconv>
#include <cstdio>
#include <map>
#include <memory>

#include "engine/reading/csv_line.h"
#include "platform/file_opening.h"
#include "engine/reading/text_encoding.h"

namespace kelvara {
namespace {

constexpr int kCellLimit = 64;
constexpr std::string_view kFullWidthSpace = "\x81@";  // 　
constexpr std::string_view kFullWidthOpen = "\x81i";   // （
constexpr std::string_view kFullWidthClose = "\x81j";  // ）

bool IsLeadByte(unsigned char byte) {
  return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

// The positions where the characters of a code page 932 text start.
std::vector<size_t> CharacterStarts(std::string_view text) {
  std::vector<size_t> starts;
  for (size_t i = 0; i < text.size(); i += IsLeadByte(static_cast<unsigned char>(text[i])) ? 2 : 1) {
    starts.push_back(i);
  }
  return starts;
}

std::string_view TrimBlanks(std::string_view text) {
  for (;;) {
    if (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
      text.remove_prefix(1);
    } else if (text.starts_with(kFullWidthSpace)) {
      text.remove_prefix(kFullWidthSpace.size());
    } else {
      break;
    }
  }
  for (;;) {
    if (!text.empty() && (text.back() == ' ' || text.back() == '\t')) {
      text.remove_suffix(1);
    } else if (text.ends_with(kFullWidthSpace) &&
               CharacterStarts(text).back() == text.size() - kFullWidthSpace.size()) {
      text.remove_suffix(kFullWidthSpace.size());
    } else {
      break;
    }
  }
  return text;
}

// The text before a trailing unit in brackets, "鉄(mg)" or "鉄（mg）"; the
// text itself when it ends in none.
std::string_view WithoutUnit(std::string_view text) {
  const std::vector<size_t> starts = CharacterStarts(text);
  if (starts.empty()) return text;
  const std::string_view last = text.substr(starts.back());
  std::string_view open;
  if (last == ")") {
    open = "(";
  } else if (last == kFullWidthClose) {
    open = kFullWidthOpen;
  } else {
    return text;
  }
  for (size_t k = starts.size() - 1; k-- > 0;) {
    if (text.substr(starts[k]).starts_with(open)) {
      const std::string_view before = TrimBlanks(text.substr(0, starts[k]));
      return before.empty() ? text : before;
    }
  }
  return text;
}

std::optional<ReferenceNumber> ParseNumber(std::string_view text) {
  ReferenceNumber number;
  bool digits = false, point = false;
  for (char c : text) {
    if (c == '.' && !point) {
      point = true;
    } else if (c >= '0' && c <= '9') {
      if (number.units > (int64_t{1} << 50)) return std::nullopt;  // beyond any amount per day
      number.units = number.units * 10 + (c - '0');
      if (point) ++number.scale;
      digits = true;
    } else {
      return std::nullopt;
    }
  }
  if (!digits || number.scale > 9) return std::nullopt;
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

bool IsAsciiKey(std::string_view key) {
  if (key.empty()) return false;
  for (char c : key) {
    const bool word = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                      c == '_' || c == '-' || c == '.';
    if (!word) return false;
  }
  return true;
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

// One value record; an empty message when it is sound.
std::string ReadValue(const std::vector<std::string_view>& cells, ReferenceValue& value) {
  if (cells.size() < 10) {
    return "a value record needs key, sex, age_from, age_to, state, indicator, value, unit, "
           "scope and source";
  }
  value.key = cells[1];
  if (!IsAsciiKey(value.key)) return "the key must be ASCII letters, digits or _";
  if (cells[2] == "1" || cells[2] == "2") {
    value.sex = cells[2][0] - '0';
  } else {
    return "sex must be 1 or 2";
  }
  const auto state = kStates.find(cells[5]);
  if (state == kStates.end()) return "unknown state " + std::string(cells[5]);
  value.state = state->second;
  if (value.state != ReferenceState::general && value.sex != 2) {
    return "pregnancy, lactation and menstruation rows are for sex 2";
  }
  if (!cells[3].empty()) {
    const auto from = ParseAge(cells[3]);
    if (!from) return "age_from must be whole years";
    value.ageFrom = *from;
  } else if (value.state == ReferenceState::general) {
    return "age_from may be empty only on pregnancy and lactation rows";
  }
  if (!cells[4].empty()) {
    value.ageTo = ParseAge(cells[4]);
    if (!value.ageTo || *value.ageTo < value.ageFrom) return "age_to must be whole years from age_from";
  }
  const auto kind = kKinds.find(cells[6]);
  if (kind == kKinds.end()) return "unknown indicator " + std::string(cells[6]);
  value.kind = kind->second;
  std::string_view number = cells[7];
  if (number.starts_with('+')) {
    if (!IsPregnancyOrLactation(value.state)) {
      return "a + addition is only for pregnancy and lactation rows";
    }
    value.addition = true;
    number.remove_prefix(1);
  }
  const auto parsed = ParseNumber(number);
  if (!parsed) return "the value must be a decimal number with a point, such as 7.5";
  value.number = *parsed;
  value.unit = cells[8];
  if (cells[9].empty()) return "the scope is empty (total, or what else the value applies to)";
  value.totalIntake = cells[9] == "total";
  if (cells.size() > 10) value.source = cells[10];
  return {};
}

// UTF-8 text in code page 932. The micro sign of "µg" becomes the Greek mu
// that code page 932 has; any other character it lacks (in a citation, say)
// becomes "?" rather than failing the whole table.
std::string ToCp932(std::string_view utf8, const TextConversion& convert) {
  std::string text;
  for (size_t at = 0; at < utf8.size();) {
    if (utf8.substr(at).starts_with("\xC2\xB5")) {
      text.append("\x83\xCA");  // μ
      at += 2;
      continue;
    }
    const unsigned char lead = static_cast<unsigned char>(utf8[at]);
    const size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    const std::optional<std::string> character = convert(utf8.substr(at, length));
    text.append(character ? *character : std::string("?"));
    at += length;
  }
  return text;
}

}  // namespace

double ReferenceNumber::ToDouble() const {
  // The nearest double to the decimal, as from_chars rounds it.
  const std::string digits = std::to_string(units);
  const size_t scaleDigits = static_cast<size_t>(scale);
  std::string text;
  if (digits.size() <= scaleDigits) {
    text = "0." + std::string(scaleDigits - digits.size(), '0') + digits;
  } else if (scaleDigits > 0) {
    text = digits.substr(0, digits.size() - scaleDigits) + "." +
           digits.substr(digits.size() - scaleDigits);
  } else {
    text = digits;
  }
  double value = 0.0;
  std::from_chars(text.data(), text.data() + text.size(), value);
  return value;
}

ReferenceNumber ReferenceNumber::Plus(ReferenceNumber other) const {
  ReferenceNumber a = *this;
  while (a.scale < other.scale) a.units *= 10, ++a.scale;
  while (other.scale < a.scale) other.units *= 10, ++other.scale;
  a.units += other.units;
  return a;
}

std::optional<std::string> ReferenceTable::KeyForHeader(std::string_view header) const {
  const std::string_view whole = TrimBlanks(header);
  const std::string_view plain = WithoutUnit(whole);
  for (const auto& [name, key] : names) {
    if (name == whole) return key;
  }
  for (const auto& [name, key] : names) {
    if (name == plain) return key;
  }
  return std::nullopt;
}

bool ReferenceTable::HasKey(std::string_view key) const {
  for (const ReferenceValue& value : values) {
    if (value.key == key) return true;
  }
  return false;
}

std::optional<ReferenceTable> ParseReferenceTable(std::string_view text, std::string& error) {
  ReferenceTable table;
  std::string cellText;
  std::vector<std::string_view> cells;
  bool titled = false;
  int lineNumber = 0;
  auto fail = [&](const std::string& what) {
    error = "line " + std::to_string(lineNumber) + ": " + what;
    return std::nullopt;
  };
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
      if (titled) return fail("a second title record");
      if (cells.size() < 2 || cells[1].empty()) return fail("the title is empty");
      table.title = cells[1];
      titled = true;
    } else if (record == "name") {
      if (cells.size() < 3 || !IsAsciiKey(cells[1]) || TrimBlanks(cells[2]).empty()) {
        return fail("a name record is name,<ASCII key>,<survey column name>");
      }
      table.names.emplace_back(std::string(TrimBlanks(cells[2])), std::string(cells[1]));
    } else if (record == "value") {
      ReferenceValue value;
      value.line = lineNumber;
      if (std::string what = ReadValue(cells, value); !what.empty()) return fail(what);
      table.values.push_back(std::move(value));
    } else {
      return fail("unknown record " + std::string(record) + " (title, name or value)");
    }
  }
  if (!titled) {
    error = "no title record";
    return std::nullopt;
  }
  return table;
}

std::optional<ReferenceTable> ReadReferenceTable(const std::filesystem::path& path,
                                                 const TextConversion& utf8ToCp932,
                                                 std::string& error) {
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(OpenFileStream(path, "rb"), &std::fclose);
  if (!file) {
    error = "cannot open the reference table";
    return std::nullopt;
  }
  std::string text;
  char buffer[65536];
  for (size_t got; (got = std::fread(buffer, 1, sizeof buffer, file.get())) > 0;) {
    text.append(buffer, got);
    if (text.size() > (size_t{64} << 20)) {
      error = "the reference table is larger than 64 MB";
      return std::nullopt;
    }
  }
  if (std::ferror(file.get())) {
    error = "cannot read the reference table";
    return std::nullopt;
  }
  const bool byteOrderMark = std::string_view(text).starts_with(kUtf8ByteOrderMark);
  if (byteOrderMark || LooksLikeUtf8(text)) {
    if (byteOrderMark) text.erase(0, kUtf8ByteOrderMark.size());
    if (!utf8ToCp932) {
      error = "the reference table is UTF-8 and cannot be converted here";
      return std::nullopt;
    }
    text = ToCp932(text, utf8ToCp932);
  }
  return ParseReferenceTable(text, error);
}

}  // namespace kelvara
