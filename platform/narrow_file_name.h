// A name for an existing file or folder that a C library opening files with
// the narrow fopen (a char* name) can use, whatever characters the real
// name holds.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace kelvara {

// On POSIX systems the path's own bytes. On Windows the narrow calls pass a
// name through the ANSI code page, which cannot hold every name (調査データ
// on a Western system, a Korean name on a Japanese one): the file's short
// (8.3) name when that is plain ASCII, else the name in the ANSI code page
// when every character has a form there. Nothing when neither exists.
std::optional<std::string> NarrowFileName(const std::filesystem::path& existing);

}  // namespace kelvara
