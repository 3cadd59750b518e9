// Fuzz input bytes as a file the reader can open by path, kept in memory.
#pragma once

#include <filesystem>
#include <string_view>

namespace kelvara::fuzz {

// An anonymous in-memory file holding `bytes`, reachable through
// /proc/self/fd while the object lives. Nothing touches the disk, so millions
// of inputs leave no files behind and cost no disk writes. Windows has no such
// file: there it is a temporary file, removed when the object goes.
class MemoryFile {
 public:
  explicit MemoryFile(std::string_view bytes);
  ~MemoryFile();
  MemoryFile(const MemoryFile&) = delete;
  MemoryFile& operator=(const MemoryFile&) = delete;

  // False when the file could not be created or filled.
  bool ok() const { return ok_; }
  const std::filesystem::path& path() const { return path_; }

 private:
  int fd_ = -1;
  bool ok_ = false;
  std::filesystem::path path_;
};

}  // namespace kelvara::fuzz
