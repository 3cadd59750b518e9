#include "expression/formula_text.h"

#include <algorithm>
#include <array>
#include <charconv>

namespace kelvara {
namespace {

using Kind = FormulaProblem::Kind;

constexpr std::array<std::string_view, 6> kFunctions = {"min", "max", "abs", "sqrt", "log", "exp"};

// The user's text as characters, each with the byte where it starts; a byte
// that starts no well-formed UTF-8 character stands as U+FFFD.
struct Characters {
  std::vector<char32_t> code;
  std::vector<size_t> start;  // one more than `code`: the end of the text
};

// The bytes of the UTF-8 sequence a lead byte starts; 0 for no lead byte.
size_t SequenceLength(unsigned char lead) {
  if (lead < 0x80) return 1;
  if (lead >= 0xC2 && lead < 0xE0) return 2;
  if (lead >= 0xE0 && lead < 0xF0) return 3;
  if (lead >= 0xF0 && lead < 0xF5) return 4;
  return 0;
}

Characters Decode(std::string_view text) {
  Characters characters;
  size_t i = 0;
  while (i < text.size()) {
    const auto lead = static_cast<unsigned char>(text[i]);
    size_t length = SequenceLength(lead);
    char32_t code = length == 1 ? lead : lead & (0x7F >> length);
    for (size_t k = 1; k < length; ++k) {
      const auto next = i + k < text.size() ? static_cast<unsigned char>(text[i + k]) : 0;
      if ((next & 0xC0) != 0x80) {
        length = 0;
        break;
      }
      code = (code << 6) | (next & 0x3F);
    }
    // Overlong forms, surrogates and code points past U+10FFFF are no characters.
    const bool wellFormed = length > 0 && !(length == 3 && code < 0x800) &&
                            !(length == 4 && (code < 0x10000 || code > 0x10FFFF)) &&
                            !(code >= 0xD800 && code <= 0xDFFF);
    characters.start.push_back(i);
    characters.code.push_back(wellFormed ? code : U'\uFFFD');
    i += wellFormed ? length : 1;
  }
  characters.start.push_back(text.size());
  return characters;
}

// Full-width forms (U+FF01..U+FF5E) and the ideographic space, as a Japanese
// input method types them, read as their ASCII forms.
char32_t Narrow(char32_t c) {
  if (c >= U'\uFF01' && c <= U'\uFF5E') return c - 0xFEE0;
  if (c == U'\u3000') return U' ';
  return c;
}

bool IsDigit(char32_t c) { return c >= U'0' && c <= U'9'; }
bool IsNameStart(char32_t c) {
  return (c >= U'a' && c <= U'z') || (c >= U'A' && c <= U'Z') || c == U'_';
}
bool IsNamePart(char32_t c) { return IsNameStart(c) || IsDigit(c); }
bool IsBlank(char32_t c) { return c == U' ' || c == U'\t'; }

std::string_view TrimBlanks(std::string_view text) {
  const size_t first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// The column a brace names: a 1-based number, or the one header of that
// text (as written, else without blanks around it).
std::optional<int> FindColumn(std::string_view text, std::span<const std::string> header,
                              Kind& failure) {
  const std::string_view trimmed = TrimBlanks(text);
  const bool digits = !trimmed.empty() && std::all_of(trimmed.begin(), trimmed.end(),
                                                      [](char c) { return c >= '0' && c <= '9'; });
  failure = Kind::unknownColumn;
  if (digits) {
    size_t number = 0;
    const auto [end, error] =
        std::from_chars(trimmed.data(), trimmed.data() + trimmed.size(), number);
    if (error != std::errc() || end != trimmed.data() + trimmed.size() || number < 1 ||
        number > header.size()) {
      return std::nullopt;
    }
    return static_cast<int>(number - 1);
  }
  for (std::string_view wanted : {text, trimmed}) {
    const auto first = std::find(header.begin(), header.end(), wanted);
    if (first == header.end()) continue;
    if (std::find(first + 1, header.end(), wanted) != header.end()) {
      failure = Kind::ambiguousColumn;
      return std::nullopt;
    }
    return static_cast<int>(first - header.begin());
  }
  return std::nullopt;
}

}  // namespace

std::string OperandName(size_t k) {
  std::string name(1, 'c');
  name += std::to_string(k);
  return name;
}

std::string ColumnReference(int column, std::span<const std::string> header) {
  const std::string& text = header[static_cast<size_t>(column)];
  Kind failure;
  const bool byText = !text.empty() && text.find_first_of("{}") == std::string::npos &&
                      FindColumn(text, header, failure) == column;
  return "{" + (byText ? text : std::to_string(column + 1)) + "}";
}

size_t CharacterCount(std::string_view expression) { return Decode(expression).code.size(); }

std::string CharactersOf(std::string_view expression, size_t from, size_t to) {
  const Characters characters = Decode(expression);
  const size_t count = characters.code.size();
  from = std::min(from, count);
  to = std::clamp(to, from, count);
  return std::string(
      expression.substr(characters.start[from], characters.start[to] - characters.start[from]));
}

std::optional<FormulaText> TranslateFormula(std::string_view expression,
                                            std::span<const std::string> header,
                                            FormulaProblem& problem) {
  const Characters characters = Decode(expression);
  const std::vector<char32_t>& code = characters.code;
  const size_t count = code.size();
  auto fail = [&](Kind kind, size_t position, size_t end) -> std::optional<FormulaText> {
    problem = {kind, position, end > position ? CharactersOf(expression, position, end) : ""};
    return std::nullopt;
  };
  if (count > kFormulaCharacterLimit) return fail(Kind::tooLong, kFormulaCharacterLimit, 0);

  FormulaText text;
  text.characterCount = count;
  auto emit = [&](std::string_view piece, size_t from, size_t to) {
    text.translated.append(piece);
    text.origin.insert(text.origin.end(), piece.size(), {from, to});
  };
  // Whether each open bracket is a function's (its values may be separated
  // by commas) or a grouping one.
  std::vector<bool> functionBrackets;
  bool afterName = false;  // the last piece was a function's name
  size_t i = 0;
  while (i < count) {
    const char32_t c = Narrow(code[i]);
    if (c == U'{') {
      size_t close = i + 1;
      while (close < count && Narrow(code[close]) != U'}') ++close;
      if (close == count) return fail(Kind::unclosedBrace, i, i + 1);
      // The header text as written: full-width characters stay as they are.
      const std::string inside = CharactersOf(expression, i + 1, close);
      if (TrimBlanks(inside).empty()) return fail(Kind::emptyBrace, i, close + 1);
      Kind failure;
      const std::optional<int> column = FindColumn(inside, header, failure);
      if (!column) {
        problem = {failure, i, inside};
        return std::nullopt;
      }
      auto known = std::find(text.operandColumns.begin(), text.operandColumns.end(), *column);
      if (known == text.operandColumns.end()) {
        text.operandColumns.push_back(*column);
        known = text.operandColumns.end() - 1;
      }
      // Blanks keep "{a}{b}" two names, which the library then refuses.
      std::string name(1, ' ');
      name += OperandName(static_cast<size_t>(known - text.operandColumns.begin()));
      name += ' ';
      emit(name, i, close + 1);
      afterName = false;
      i = close + 1;
      continue;
    }
    if (c == U'}') return fail(Kind::strayBrace, i, i + 1);
    if (IsDigit(c) || c == U'.') {
      // A number: digits and points (the library refuses a second point),
      // then an exponent only when a digit follows its e and sign.
      size_t end = i;
      while (end < count && (IsDigit(Narrow(code[end])) || Narrow(code[end]) == U'.')) ++end;
      if (end < count && (Narrow(code[end]) == U'e' || Narrow(code[end]) == U'E')) {
        size_t digit = end + 1;
        if (digit < count && (Narrow(code[digit]) == U'+' || Narrow(code[digit]) == U'-')) ++digit;
        if (digit < count && IsDigit(Narrow(code[digit]))) {
          end = digit;
          while (end < count && IsDigit(Narrow(code[end]))) ++end;
        }
      }
      for (size_t k = i; k < end; ++k)
        emit(std::string(1, static_cast<char>(Narrow(code[k]))), k, k + 1);
      afterName = false;
      i = end;
      continue;
    }
    if (IsNameStart(c)) {
      size_t end = i;
      std::string name;
      for (; end < count && IsNamePart(Narrow(code[end])); ++end) {
        name.push_back(static_cast<char>(Narrow(code[end])));
      }
      if (std::find(kFunctions.begin(), kFunctions.end(), name) == kFunctions.end()) {
        return fail(Kind::unknownName, i, end);
      }
      for (size_t k = i; k < end; ++k) emit(std::string(1, name[k - i]), k, k + 1);
      afterName = true;
      i = end;
      continue;
    }
    switch (c) {
      case U'(': functionBrackets.push_back(afterName); break;
      case U')':
        if (!functionBrackets.empty()) functionBrackets.pop_back();
        break;
      case U',':
        if (functionBrackets.empty() || !functionBrackets.back())
          return fail(Kind::comma, i, i + 1);
        break;
      case U'+':
      case U'-':
      case U'*':
      case U'/':
      case U'^': break;
      default:
        if (!IsBlank(c)) return fail(Kind::character, i, i + 1);
        emit(" ", i, i + 1);
        ++i;
        continue;  // a blank between a name and its bracket keeps it a function's
    }
    emit(std::string(1, static_cast<char>(c)), i, i + 1);
    afterName = false;
    ++i;
  }
  if (TrimBlanks(text.translated).empty()) return fail(Kind::empty, 0, 0);
  return text;
}

}  // namespace kelvara
