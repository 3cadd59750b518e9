#include "platform/standard_streams.h"

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include "platform/utf16_text.h"

namespace kelvara {

namespace {

// The console the stream writes to, or null when it writes elsewhere.
HANDLE ConsoleOf(std::FILE* stream) {
  const auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
  DWORD mode = 0;
  if (handle == INVALID_HANDLE_VALUE || GetFileType(handle) != FILE_TYPE_CHAR ||
      !GetConsoleMode(handle, &mode)) {
    return nullptr;
  }
  return handle;
}

}  // namespace

void UseBinaryStandardStreams() {
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
}

bool WriteUtf8(std::FILE* stream, std::string_view text) {
  if (HANDLE console = ConsoleOf(stream)) {
    std::fflush(stream);
    const std::wstring wide = Utf16FromUtf8(text);
    DWORD written = 0;
    return WriteConsoleW(console, wide.data(), static_cast<DWORD>(wide.size()), &written,
                         nullptr) != 0;
  }
  return std::fwrite(text.data(), 1, text.size(), stream) == text.size();
}

}  // namespace kelvara
