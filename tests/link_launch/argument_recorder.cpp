// A stand-in browser for the link-launch test: writes the arguments the C
// runtime split from its command line, as UTF-8 after their count, one a line,
// to arguments.txt beside itself (complete, or not at all).
#include <windows.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "platform/utf16_text.h"

int wmain(int argc, wchar_t** argv) {
  std::wstring self(MAX_PATH, L'\0');
  self.resize(GetModuleFileNameW(nullptr, self.data(), static_cast<DWORD>(self.size())));
  const std::filesystem::path folder = std::filesystem::path(self).parent_path();
  std::string text = std::to_string(argc - 1) + "\n";
  for (int i = 1; i < argc; ++i) text += kelvara::Utf8FromUtf16(argv[i]) + "\n";
  std::FILE* file = _wfopen((folder / L"arguments.part").c_str(), L"wb");
  if (file == nullptr) return 1;
  const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
  if (std::fclose(file) != 0 || !written) return 1;
  const bool moved =
      MoveFileW((folder / L"arguments.part").c_str(), (folder / L"arguments.txt").c_str());
  return moved ? 0 : 1;
}
