#include "platform/file_opening.h"

namespace kelvara {

std::FILE* OpenFileStream(const std::filesystem::path& path, const char* mode) {
  return std::fopen(path.c_str(), mode);
}

}  // namespace kelvara
