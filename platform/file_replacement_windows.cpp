#include "platform/file_replacement.h"

#include <fcntl.h>
#include <io.h>
#include <share.h>
#include <sys/stat.h>
#include <windows.h>

#include <cerrno>
#include <cstring>
#include <random>

#include "platform/utf16_text.h"

namespace kelvara {

namespace {

std::string SystemMessage(DWORD code) {
  wchar_t* text = nullptr;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, 0, reinterpret_cast<LPWSTR>(&text), 0, nullptr);
  std::wstring message(text, length);
  LocalFree(text);
  while (!message.empty() && (message.back() == L'\n' || message.back() == L'\r' ||
                              message.back() == L'.' || message.back() == L' ')) {
    message.pop_back();
  }
  if (message.empty()) return "system error " + std::to_string(code);
  return Utf8FromUtf16(message);
}

}  // namespace

bool IsDeviceOrPipe(const std::filesystem::path& target) {
  // Asks for no access at all, so that a locked file is still looked at; a
  // folder does not open this way and is left to fail when replaced.
  const HANDLE handle = CreateFileW(target.c_str(), 0,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, OPEN_EXISTING, 0, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return false;
  const DWORD type = GetFileType(handle);
  CloseHandle(handle);
  return type == FILE_TYPE_CHAR || type == FILE_TYPE_PIPE;
}

std::FILE* CreateFileBeside(const std::filesystem::path& target,
                            std::filesystem::path& temporary, std::string& reason) {
  static constexpr wchar_t kLetters[] = L"abcdefghijklmnopqrstuvwxyz0123456789";
  std::mt19937 random(std::random_device{}() ^ GetCurrentProcessId());
  std::uniform_int_distribution<size_t> letter(0, std::size(kLetters) - 2);
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::wstring name = target.native() + L".";
    for (int i = 0; i < 6; ++i) name.push_back(kLetters[letter(random)]);
    int descriptor = -1;
    // _O_EXCL: a file that appeared under this name in the meantime is not
    // taken over.
    const errno_t status =
        _wsopen_s(&descriptor, name.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY,
                  _SH_DENYWR, _S_IREAD | _S_IWRITE);
    if (status == EEXIST) continue;
    if (status != 0) {
      reason = std::strerror(status);
      return nullptr;
    }
    std::FILE* file = _fdopen(descriptor, "wb");
    if (file == nullptr) {
      reason = std::strerror(errno);
      _close(descriptor);
      _wremove(name.c_str());
      return nullptr;
    }
    temporary = name;
    return file;
  }
  reason = "no free temporary name beside it";
  return nullptr;
}

bool FlushToDisk(std::FILE* file, std::string& reason) {
  if (std::fflush(file) != 0) {
    reason = std::strerror(errno);
    return false;
  }
  if (!FlushFileBuffers(reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file))))) {
    reason = SystemMessage(GetLastError());
    return false;
  }
  return true;
}

bool PutInPlaceOf(const std::filesystem::path& temporary, const std::filesystem::path& target,
                  std::string& reason) {
  // Write-through: the call returns only when the new name is on the disk.
  if (MoveFileExW(temporary.c_str(), target.c_str(),
                  MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    return true;
  }
  reason = SystemMessage(GetLastError());
  return false;
}

}  // namespace kelvara
