// Which encoding a survey data file is written in: code page 932, as the
// surveys have always been kept, or UTF-8, as spreadsheets export "CSV UTF-8".
#pragma once

#include <string_view>

namespace kelvara {

enum class TextEncoding { cp932, utf8 };

// The byte order mark that spreadsheets put before UTF-8 text. It is not part
// of the text: readers drop it from the start of a file.
inline constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";

// Whether `text` holds bytes from 0x80 up that all form valid UTF-8
// characters (no overlong forms, no surrogates, nothing beyond U+10FFFF).
// Japanese text in code page 932 practically never passes: its lead bytes
// 0x81 to 0x9F cannot start a UTF-8 character, and its trail bytes seldom
// continue one. Text of ASCII bytes alone reads the same in both encodings
// and does not count.
bool LooksLikeUtf8(std::string_view text);

// Whether every byte from 0x80 up in `text` forms a valid UTF-8 character;
// true for ASCII text.
bool IsValidUtf8(std::string_view text);

// The encoding of a file from the evidence at its start: a header row that
// looks like UTF-8, or a byte order mark before a header that is valid UTF-8.
// Otherwise code page 932: some tools put a byte order mark before code page
// 932 text, whose header then does not decode as UTF-8.
inline TextEncoding RecogniseEncoding(bool byteOrderMark, std::string_view headerRow) {
  const bool utf8 = byteOrderMark ? IsValidUtf8(headerRow) : LooksLikeUtf8(headerRow);
  return utf8 ? TextEncoding::utf8 : TextEncoding::cp932;
}

}  // namespace kelvara
