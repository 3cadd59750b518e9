#include <windows.h>

#include "codec/cp932.h"
#include "platform/utf16_text.h"

namespace kelvara {
namespace {

constexpr UINT kCodePage932 = 932;

// The program's code page 932 is the table glibc's converter gives, on every
// platform, so that a column name matches and a report decodes alike
// everywhere. Windows' own table differs from it in a few places, which are
// put right here:
// - the byte 0x80 is no character (Windows: U+0080);
// - U+0080 and U+F8F0 to U+F8F3 have no code page 932 form (Windows: 0x80,
//   0xA0, 0xFD, 0xFE, 0xFF);
// - these characters, which Japanese input on other systems produces for the
//   ones code page 932 holds, take those characters' codes:
struct Variant {
  wchar_t typed;
  wchar_t inCodePage;
};
constexpr Variant kVariants[] = {
    {L'\x00A2', L'\xFFE0'},  // cent sign: fullwidth
    {L'\x00A3', L'\xFFE1'},  // pound sign: fullwidth
    {L'\x00A5', L'\x005C'},  // yen sign: 0x5C, shown as a yen sign in Japanese fonts
    {L'\x00AC', L'\xFFE2'},  // not sign: fullwidth
    {L'\x00B5', L'\x03BC'},  // micro sign: Greek small mu (as in "µg")
    {L'\x2014', L'\x2015'},  // em dash: horizontal bar
    {L'\x2016', L'\x2225'},  // double vertical line: parallel to
    {L'\x203E', L'\x007E'},  // overline: 0x7E
    {L'\x2212', L'\xFF0D'},  // minus sign: fullwidth hyphen-minus
    {L'\x301C', L'\xFF5E'},  // wave dash: fullwidth tilde
};

constexpr char kLoneByteWithoutCharacter = '\x80';

bool HasNoCodePageForm(wchar_t c) {
  return c == L'\x0080' || (c >= L'\xF8F0' && c <= L'\xF8F3');
}

// Appends the UTF-16 of `bytes` when every byte belongs to a valid character.
bool Decode(std::string_view bytes, std::wstring& wide) {
  const int size = static_cast<int>(bytes.size());
  const int length =
      MultiByteToWideChar(kCodePage932, MB_ERR_INVALID_CHARS, bytes.data(), size, nullptr, 0);
  if (length <= 0) return false;
  const size_t start = wide.size();
  wide.resize(start + static_cast<size_t>(length));
  MultiByteToWideChar(kCodePage932, MB_ERR_INVALID_CHARS, bytes.data(), size, wide.data() + start,
                      length);
  return true;
}

}  // namespace

std::string Cp932ToUtf8(std::string_view cp932) {
  std::wstring wide;
  const bool mayHoldLoneByte = cp932.find(kLoneByteWithoutCharacter) != std::string_view::npos;
  if (cp932.empty() || (!mayHoldLoneByte && Decode(cp932, wide))) return Utf8FromUtf16(wide);
  // Some byte is not part of a character: go character by character (a lead
  // byte with the byte after it, or one byte), a replacement for each byte
  // that starts no character, and on with the byte after it.
  wide.clear();
  for (size_t i = 0; i < cp932.size();) {
    const bool lead = IsDBCSLeadByteEx(kCodePage932, static_cast<BYTE>(cp932[i]));
    if (lead && i + 1 < cp932.size() && Decode(cp932.substr(i, 2), wide)) {
      i += 2;
    } else if (!lead && cp932[i] != kLoneByteWithoutCharacter &&
               Decode(cp932.substr(i, 1), wide)) {
      i += 1;
    } else {
      wide.push_back(L'\xFFFD');
      i += 1;
    }
  }
  return Utf8FromUtf16(wide);
}

std::optional<std::string> Utf8ToCp932(std::string_view utf8) {
  if (utf8.empty()) return std::string();
  const int utf8Size = static_cast<int>(utf8.size());
  const int wideLength =
      MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), utf8Size, nullptr, 0);
  if (wideLength <= 0) return std::nullopt;  // not valid UTF-8
  std::wstring wide(static_cast<size_t>(wideLength), L'\0');
  MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), utf8Size, wide.data(),
                      wideLength);
  for (wchar_t& c : wide) {
    if (HasNoCodePageForm(c)) return std::nullopt;
    for (const Variant& variant : kVariants) {
      if (c == variant.typed) c = variant.inCodePage;
    }
  }
  // No best fit: a character without a code page 932 form must not turn into
  // a look-alike (which could match another column's name).
  BOOL usedDefault = FALSE;
  const int length = WideCharToMultiByte(kCodePage932, WC_NO_BEST_FIT_CHARS, wide.data(),
                                         wideLength, nullptr, 0, nullptr, &usedDefault);
  if (length <= 0 || usedDefault) return std::nullopt;
  std::string cp932(static_cast<size_t>(length), '\0');
  WideCharToMultiByte(kCodePage932, WC_NO_BEST_FIT_CHARS, wide.data(), wideLength, cp932.data(),
                      length, nullptr, &usedDefault);
  return cp932;
}

}  // namespace kelvara
