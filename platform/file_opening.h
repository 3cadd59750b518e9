// Opening a file by its std::filesystem::path with the C runtime's buffered
// streams, whatever characters its name holds.
#pragma once

#include <cstdio>
#include <filesystem>

namespace kelvara {

// std::fopen for a path: on Windows the name is handed over in UTF-16, so that
// a folder such as 調査データ opens whatever the ANSI code page is. `mode` is
// a plain fopen mode ("rb", "wb", ...). Null when the file cannot be opened.
std::FILE* OpenFileStream(const std::filesystem::path& path, const char* mode);

}  // namespace kelvara
