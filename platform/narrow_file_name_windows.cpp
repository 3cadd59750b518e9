#include "platform/narrow_file_name.h"

#include <windows.h>

#include <algorithm>

namespace kelvara {
namespace {

std::optional<std::string> InAnsiCodePage(const std::wstring& name) {
  if (name.empty()) return std::nullopt;
  const int wide = static_cast<int>(name.size());
  BOOL lossy = FALSE;
  const int size = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, name.data(), wide, nullptr, 0,
                                       nullptr, &lossy);
  if (size <= 0 || lossy) return std::nullopt;
  std::string narrow(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, name.data(), wide, narrow.data(), size,
                      nullptr, &lossy);
  if (lossy) return std::nullopt;
  return narrow;
}

}  // namespace

std::optional<std::string> NarrowFileName(const std::filesystem::path& existing) {
  const std::wstring& name = existing.native();
  const DWORD size = GetShortPathNameW(name.c_str(), nullptr, 0);
  if (size > 0) {
    std::wstring shortName(size, L'\0');
    const DWORD length = GetShortPathNameW(name.c_str(), shortName.data(), size);
    if (length > 0 && length < size) {
      shortName.resize(length);
      if (std::all_of(shortName.begin(), shortName.end(), [](wchar_t c) { return c < 0x80; })) {
        return std::string(shortName.begin(), shortName.end());
      }
    }
  }
  return InAnsiCodePage(name);
}

}  // namespace kelvara
