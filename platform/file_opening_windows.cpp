#include "platform/file_opening.h"

#include <string>

namespace kelvara {

std::FILE* OpenFileStream(const std::filesystem::path& path, const char* mode) {
  // The narrow fopen would pass the name through the ANSI code page.
  const std::wstring wideMode(mode, mode + std::char_traits<char>::length(mode));
  return _wfopen(path.c_str(), wideMode.c_str());
}

}  // namespace kelvara
