// Which program opens web links.
#pragma once

#include <functional>
#include <string>

#include "platform/registry_reading.h"

// The key below HKEY_CLASSES_ROOT that holds the command for opening web links.
inline constexpr const char* kWebLinkCommandKey = "http\\shell\\open\\command";

// Where current Windows keeps the user's choice of browser, as a ProgId whose
// shell\open\command below HKEY_CLASSES_ROOT is the command.
inline constexpr const char* kWebLinkUserChoiceKey =
    "Software\\Microsoft\\Windows\\Shell\\Associations\\UrlAssociations\\http\\UserChoice";

// The default (unnamed) value of a key below HKEY_CLASSES_ROOT on Windows, read
// only; a missing key, a missing value or one that is not text gives empty
// text. Other systems have no registry: there the key kWebLinkCommandKey
// answers the desktop's command for opening web links (the full path of
// xdg-open found along the absolute PATH entries, in double quotes when it
// holds a blank) and every other key answers empty text. The text is UTF-8.
std::string ReadRegistryDefaultValue(const std::string& key);

using RegistryReader =
    std::function<std::string(RegistryRoot root, const std::string& key, const std::string& value)>;
using FileCheck = std::function<bool(const std::string& path)>;

// The browser to start, given the command registered for web links: its
// program when `isProgram` accepts it; otherwise, as that key is often absent
// or left behind by an uninstalled browser, the program of the command of the
// ProgId the user chose (kWebLinkUserChoiceKey). Empty when neither gives one.
std::string ChooseBrowserProgram(const std::string& registeredCommand,
                                 const RegistryReader& read, const FileCheck& isProgram);

// ChooseBrowserProgram on this system: on Windows with its registry and a
// check that the program file exists; elsewhere the program of the command
// as it stands (the desktop's xdg-open, found on the way).
std::string BrowserProgram(const std::string& registeredCommand);
