// UTF-8 <-> UTF-16, the text of the Windows API's wide calls.
#pragma once

#include <string>
#include <string_view>

namespace kelvara {

// Malformed input gives U+FFFD in its place, as the system converter does.
std::wstring Utf16FromUtf8(std::string_view text);
std::string Utf8FromUtf16(std::wstring_view text);

}  // namespace kelvara
