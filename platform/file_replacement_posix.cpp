#include "platform/file_replacement.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

namespace kelvara {

bool IsDeviceOrPipe(const std::filesystem::path& target) {
  std::error_code ignored;
  const auto status = std::filesystem::status(target, ignored);
  return std::filesystem::exists(status) && !std::filesystem::is_regular_file(status);
}

std::FILE* CreateFileBeside(const std::filesystem::path& target,
                            std::filesystem::path& temporary, std::string& reason) {
  const std::string suffix = ".XXXXXX";
  std::vector<char> name(target.native().begin(), target.native().end());
  name.insert(name.end(), suffix.begin(), suffix.end());
  name.push_back('\0');
  const int descriptor = mkstemp(name.data());
  if (descriptor < 0) {
    reason = std::strerror(errno);
    return nullptr;
  }
  // mkstemp makes the file private to the user; give it the usual mode.
  const mode_t mask = umask(0);
  umask(mask);
  fchmod(descriptor, 0666 & ~mask);
  std::FILE* file = fdopen(descriptor, "wb");
  if (file == nullptr) {
    reason = std::strerror(errno);
    close(descriptor);
    unlink(name.data());
    return nullptr;
  }
  temporary = name.data();
  return file;
}

bool FlushToDisk(std::FILE* file, std::string& reason) {
  if (std::fflush(file) != 0 || fsync(fileno(file)) != 0) {
    reason = std::strerror(errno);
    return false;
  }
  return true;
}

bool PutInPlaceOf(const std::filesystem::path& temporary, const std::filesystem::path& target,
                  std::string& reason) {
  if (std::rename(temporary.c_str(), target.c_str()) == 0) return true;
  reason = std::strerror(errno);
  return false;
}

}  // namespace kelvara
