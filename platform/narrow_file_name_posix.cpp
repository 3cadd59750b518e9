#include "platform/narrow_file_name.h"

namespace kelvara {

std::optional<std::string> NarrowFileName(const std::filesystem::path& existing) {
  return existing.native();
}

}  // namespace kelvara
