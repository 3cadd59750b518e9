// Conversion between code page 932 bytes and UTF-8, for display and for
// matching what a user typed. The engine never converts; only the window and
// the command line do, at their edges.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace kelvara {

// Code page 932 to UTF-8. A byte that does not start a valid character shows
// as U+FFFD, one replacement per byte, and decoding goes on after it.
std::string Cp932ToUtf8(std::string_view cp932);

// UTF-8 to code page 932; nothing when some character has no code page 932
// form or the text is not valid UTF-8. The micro sign (µ) becomes the Greek
// mu code page 932 has, so that a header "鉄(µg)" is read as it is meant.
std::optional<std::string> Utf8ToCp932(std::string_view utf8);

}  // namespace kelvara
