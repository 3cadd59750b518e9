#include <windows.h>

#include "codec/cp932.h"
#include "platform/utf16_text.h"

namespace kelvara {
namespace {

constexpr UINT kCodePage932 = 932;

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
  if (cp932.empty() || Decode(cp932, wide)) return Utf8FromUtf16(wide);
  // Some byte is not part of a character: go character by character (a lead
  // byte with the byte after it, or one byte), a replacement for each byte
  // that starts no character, and on with the byte after it.
  wide.clear();
  for (size_t i = 0; i < cp932.size();) {
    const bool lead = IsDBCSLeadByteEx(kCodePage932, static_cast<BYTE>(cp932[i]));
    if (lead && i + 1 < cp932.size() && Decode(cp932.substr(i, 2), wide)) {
      i += 2;
    } else if (!lead && Decode(cp932.substr(i, 1), wide)) {
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
