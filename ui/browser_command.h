// The command the desktop registers for opening web links.
#pragma once

#include <string>

// The key below HKEY_CLASSES_ROOT that holds the command for opening web links.
inline constexpr const char* kWebLinkCommandKey = "http\\shell\\open\\command";

// The default (unnamed) value of a key below HKEY_CLASSES_ROOT on Windows, read
// only; a missing key, a missing value or one that is not text gives empty
// text. Other systems have no registry: there the key kWebLinkCommandKey
// answers the desktop's command for opening web links (the full path of
// xdg-open, in double quotes when it holds a blank) and every other key
// answers empty text. The text is UTF-8.
std::string ReadRegistryDefaultValue(const std::string& key);
