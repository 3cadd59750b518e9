#include "platform/program_arguments.h"

#include <windows.h>
#include <shellapi.h>

#include "platform/utf16_text.h"

namespace kelvara {

std::vector<std::string> ProgramArguments(int argc, char** argv) {
  // argv holds the ANSI code page's rendering, with ? for what it lacks.
  int count = 0;
  if (LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count)) {
    std::vector<std::string> arguments;
    for (int i = 1; i < count; ++i) arguments.push_back(Utf8FromUtf16(wide[i]));
    LocalFree(wide);
    return arguments;
  }
  return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
}

}  // namespace kelvara
