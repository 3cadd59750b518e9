#include "fuzz/memory_file.h"

#ifdef _WIN32

#include <fstream>
#include <random>
#include <string>

namespace kelvara::fuzz {

MemoryFile::MemoryFile(std::string_view bytes) {
  std::mt19937_64 random(std::random_device{}());
  const auto folder = std::filesystem::temp_directory_path();
  for (int attempt = 0; attempt < 100; ++attempt) {
    const auto candidate =
        folder / ("kelvara-fuzz-input-" + std::to_string(random() % 1000000000) + ".csv");
    std::error_code error;
    if (std::filesystem::exists(candidate, error)) continue;
    std::ofstream out(candidate, std::ios::binary);
    path_ = candidate;
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    ok_ = static_cast<bool>(out);
    return;
  }
}

MemoryFile::~MemoryFile() {
  std::error_code ignored;
  if (!path_.empty()) std::filesystem::remove(path_, ignored);
}

}  // namespace kelvara::fuzz

#else

#include <sys/mman.h>
#include <unistd.h>

#include <string>

namespace kelvara::fuzz {

MemoryFile::MemoryFile(std::string_view bytes) {
  fd_ = memfd_create("kelvara-fuzz-input", MFD_CLOEXEC);
  if (fd_ < 0) return;
  path_ = "/proc/self/fd/" + std::to_string(fd_);
  size_t written = 0;
  while (written < bytes.size()) {
    const ssize_t step = write(fd_, bytes.data() + written, bytes.size() - written);
    if (step <= 0) return;
    written += static_cast<size_t>(step);
  }
  ok_ = true;
}

MemoryFile::~MemoryFile() {
  if (fd_ >= 0) close(fd_);
}

}  // namespace kelvara::fuzz

#endif
