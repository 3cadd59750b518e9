#include "engine/reading/cp932_text.h"

namespace kelvara {
namespace {

constexpr std::string_view kFullWidthSpace = "\x81@";  // 　
constexpr std::string_view kOpenBrackets[] = {"(", "\x81i"};   // ( （
constexpr std::string_view kCloseBrackets[] = {")", "\x81j"};  // ) ）

bool IsBracket(std::string_view character, const std::string_view (&set)[2]) {
  return character == set[0] || character == set[1];
}

}  // namespace

bool IsCp932LeadByte(unsigned char byte) {
  return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

std::vector<size_t> CharacterStarts(std::string_view text) {
  std::vector<size_t> starts;
  for (size_t i = 0; i < text.size();
       i += IsCp932LeadByte(static_cast<unsigned char>(text[i])) ? 2 : 1) {
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

BracketSplit SplitTrailingBracket(std::string_view text) {
  const std::vector<size_t> starts = CharacterStarts(text);
  if (starts.empty() || !IsBracket(text.substr(starts.back()), kCloseBrackets)) return {text, {}};
  for (size_t k = starts.size() - 1; k-- > 0;) {
    const size_t length = (k + 1 < starts.size() ? starts[k + 1] : text.size()) - starts[k];
    if (!IsBracket(text.substr(starts[k], length), kOpenBrackets)) continue;
    const std::string_view before = TrimBlanks(text.substr(0, starts[k]));
    if (before.empty()) return {text, {}};
    const size_t insideFrom = starts[k] + length;
    return {before, text.substr(insideFrom, starts.back() - insideFrom)};
  }
  return {text, {}};
}

std::string FoldFullWidthAscii(std::string_view text) {
  std::string folded;
  folded.reserve(text.size());
  const std::vector<size_t> starts = CharacterStarts(text);
  for (size_t k = 0; k < starts.size(); ++k) {
    const size_t end = k + 1 < starts.size() ? starts[k + 1] : text.size();
    const std::string_view character = text.substr(starts[k], end - starts[k]);
    if (character.size() == 2) {
      const auto lead = static_cast<unsigned char>(character[0]);
      const auto trail = static_cast<unsigned char>(character[1]);
      // ０-９ 0x824F-0x8258, Ａ-Ｚ 0x8260-0x8279, ａ-ｚ 0x8281-0x829A.
      if (lead == 0x82 && trail >= 0x4F && trail <= 0x58) {
        folded.push_back(static_cast<char>('0' + (trail - 0x4F)));
        continue;
      }
      if (lead == 0x82 && trail >= 0x60 && trail <= 0x79) {
        folded.push_back(static_cast<char>('A' + (trail - 0x60)));
        continue;
      }
      if (lead == 0x82 && trail >= 0x81 && trail <= 0x9A) {
        folded.push_back(static_cast<char>('a' + (trail - 0x81)));
        continue;
      }
      if (character == "\x81\x93") {  // ％
        folded.push_back('%');
        continue;
      }
      if (character == "\x81^") {  // ／
        folded.push_back('/');
        continue;
      }
    }
    folded.append(character);
  }
  return folded;
}

}  // namespace kelvara
