// Character-wise work on code page 932 text as the engine keeps it: where
// characters start, blanks at the ends, a trailing part in brackets, and
// full-width letters read as their ASCII forms. A trail byte may equal an
// ASCII byte, so none of this can be done byte by byte.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kelvara {

// Whether a byte starts a two-byte character.
bool IsCp932LeadByte(unsigned char byte);

// The positions where the characters of the text start.
std::vector<size_t> CharacterStarts(std::string_view text);

// The text without blanks (ASCII space and tab, full-width space) at either end.
std::string_view TrimBlanks(std::string_view text);

// A text ending in a part in brackets, "鉄(mg)" or "鉄（mg）" (either bracket
// of either width): the text before it (blanks trimmed) and what the
// brackets hold. `inside` is empty when the text ends in no such part, or
// nothing stands before it.
struct BracketSplit {
  std::string_view before;
  std::optional<std::string_view> inside;
};
BracketSplit SplitTrailingBracket(std::string_view text);

// The text with full-width digits, letters, ％ and ／ as their ASCII forms
// ("ｍｇ" is "mg"); every other character as it is.
std::string FoldFullWidthAscii(std::string_view text);

}  // namespace kelvara
