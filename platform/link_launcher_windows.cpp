#include "platform/link_launcher.h"

#include <windows.h>
#include <shellapi.h>

#include <filesystem>

#include "platform/utf16_text.h"
#include "platform/windows_command_line.h"

bool DetachedLinkLauncher::Start(const std::string& program, const std::string& address) {
  const std::wstring path = kelvara::Utf16FromUtf8(program);
  if (!std::filesystem::path(path).is_absolute()) return false;
  std::wstring commandLine = kelvara::WindowsCommandLine(path, {kelvara::Utf16FromUtf8(address)});
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  // The path is given as the program to run, so nothing is searched for; no
  // handle is inherited, and a console program gets no console window.
  if (!CreateProcessW(path.c_str(), commandLine.data(), nullptr, nullptr, FALSE,
                      DETACHED_PROCESS | CREATE_NEW_PROCESS_GROUP, nullptr, nullptr, &startup,
                      &process)) {
    return false;
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return true;
}

bool DetachedLinkLauncher::OpenWithDesktop(const std::string& address) {
  const auto result = reinterpret_cast<INT_PTR>(ShellExecuteW(
      nullptr, L"open", kelvara::Utf16FromUtf8(address).c_str(), nullptr, nullptr, SW_SHOWNORMAL));
  return result > 32;  // smaller values are error codes
}
