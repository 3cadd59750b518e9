#include "engine/report/sheet_names.h"

#include <algorithm>

namespace kelvara {
namespace {

constexpr std::string_view kForbidden = "[]:*?/\\";
constexpr std::string_view kReserved = "history";
constexpr std::string_view kUnnamed = "\x95\xCF\x90\x94";  // 変数
constexpr std::string_view kFullWidthOpen = "\x81i";       // （
constexpr std::string_view kFullWidthClose = "\x81j";      // ）

bool IsLeadByte(unsigned char byte) {
  return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

bool IsTrailByte(unsigned char byte) { return byte >= 0x40 && byte <= 0xFC && byte != 0x7F; }

// The text cut into its code page 932 characters: a double-byte character is
// one, whose trail byte may be any of [\] and is no character of its own.
std::vector<std::string_view> Characters(std::string_view text) {
  std::vector<std::string_view> characters;
  for (size_t i = 0; i < text.size();) {
    const bool pair = IsLeadByte(static_cast<unsigned char>(text[i])) && i + 1 < text.size() &&
                      IsTrailByte(static_cast<unsigned char>(text[i + 1]));
    characters.push_back(text.substr(i, pair ? 2 : 1));
    i += pair ? 2 : 1;
  }
  return characters;
}

// Whether a character may stand in a sheet's name: none of []:*?/\, no
// control character, and no byte that starts no character (it would become
// replacement characters of a count the name's length cannot foresee).
bool Allowed(std::string_view c) {
  if (c.size() == 2) return true;
  const auto byte = static_cast<unsigned char>(c[0]);
  return byte >= 0x20 && byte != 0x7F && kForbidden.find(c[0]) == std::string_view::npos &&
         !IsLeadByte(byte) && byte != 0x80 && byte != 0xA0 && byte < 0xFD;
}

// Spreadsheets compare names without regard to case, also of full-width
// Latin letters.
std::string Folded(std::string_view name) {
  std::string folded;
  for (std::string_view c : Characters(name)) {
    const auto second = c.size() == 2 ? static_cast<unsigned char>(c[1]) : 0;
    if (c.size() == 1 && c[0] >= 'A' && c[0] <= 'Z') {
      folded += static_cast<char>(c[0] - 'A' + 'a');
    } else if (c[0] == '\x82' && second >= 0x60 && second <= 0x79) {
      folded += '\x82';  // Ａ to Ｚ at 0x8260, ａ to ｚ at 0x8281
      folded += static_cast<char>(second + 0x21);
    } else {
      folded += c;
    }
  }
  return folded;
}

// The name cut to `limit` characters, a closing bracketed part （…） kept
// whole when some of what comes before it is left; an apostrophe at either
// end becomes '_'.
std::string Fitted(std::vector<std::string_view> characters, size_t limit) {
  if (characters.size() > limit) {
    size_t open = characters.size();
    if (characters.back() == kFullWidthClose) {
      for (size_t i = characters.size() - 1; i-- > 0;) {
        if (characters[i] == kFullWidthOpen) {
          open = i;
          break;
        }
      }
    }
    const size_t tail = characters.size() - open;
    if (open > 0 && tail < limit) {
      characters.erase(characters.begin() + static_cast<std::ptrdiff_t>(limit - tail),
                       characters.begin() + static_cast<std::ptrdiff_t>(open));
    } else {
      characters.resize(limit);
    }
  }
  if (characters.front() == "'") characters.front() = "_";
  if (characters.back() == "'") characters.back() = "_";
  std::string name;
  for (std::string_view c : characters) name += c;
  return name;
}

}  // namespace

bool SheetNames::Valid(std::string_view name) {
  const std::vector<std::string_view> characters = Characters(name);
  if (characters.empty() || characters.size() > kSheetNameLimit) return false;
  if (characters.front() == "'" || characters.back() == "'") return false;
  return Folded(name) != kReserved && std::all_of(characters.begin(), characters.end(), Allowed);
}

bool SheetNames::Taken(std::string_view name) const {
  const std::string folded = Folded(name);
  return std::any_of(taken_.begin(), taken_.end(),
                     [&](const std::string& other) { return Folded(other) == folded; });
}

std::string SheetNames::Take(std::string_view wanted) {
  std::vector<std::string_view> characters = Characters(wanted);
  for (std::string_view& c : characters) {
    if (!Allowed(c)) c = "_";
  }
  if (characters.empty()) characters = Characters(kUnnamed);
  std::string name = Fitted(characters, kSheetNameLimit);
  if (Folded(name) == kReserved) name += '_';
  for (int copy = 2; Taken(name); ++copy) {
    const std::string suffix = " (" + std::to_string(copy) + ")";
    name = Fitted(characters, kSheetNameLimit - suffix.size()) + suffix;
  }
  taken_.push_back(name);
  return name;
}

}  // namespace kelvara
