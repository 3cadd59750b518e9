#include "fuzz/memory_file.h"

#include <sys/mman.h>
#include <unistd.h>

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
