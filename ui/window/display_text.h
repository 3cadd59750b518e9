// Text from files, decoded for display only.
#pragma once

#include <QString>
#include <string_view>

#include "engine/reading/text_encoding.h"

// The text that the window shows for code page 932 bytes. A byte that does
// not decode shows as U+FFFD, one per byte; the bytes themselves are never
// replaced by this text anywhere but on screen.
QString DisplayText(std::string_view cp932);

// The same for bytes in the given encoding (UTF-8: U+FFFD for what is not).
QString DisplayText(std::string_view bytes, kelvara::TextEncoding encoding);
