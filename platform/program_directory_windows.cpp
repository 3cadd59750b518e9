#include "platform/program_directory.h"

#include <windows.h>

#include <vector>

namespace kelvara {

std::filesystem::path ProgramDirectory() {
  std::vector<wchar_t> name(MAX_PATH);
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, name.data(), static_cast<DWORD>(name.size()));
    if (length == 0) return {};
    if (length < name.size()) return std::filesystem::path(std::wstring(name.data(), length)).parent_path();
    name.resize(name.size() * 2);  // a long path: try a larger buffer
  }
}

}  // namespace kelvara
