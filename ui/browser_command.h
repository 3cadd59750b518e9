// The command the desktop registers for opening web links.
#pragma once

#include <string>

// The default (unnamed) value of a key below HKEY_CLASSES_ROOT on Windows; on
// other systems the key "http\shell\open\command" answers the desktop's
// command for opening web links. Empty when there is none.
std::string ReadRegistryDefaultValue(const std::string& key);
