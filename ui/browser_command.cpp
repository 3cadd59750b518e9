#include "ui/browser_command.h"

#ifdef _WIN32

#include <windows.h>

namespace {

std::wstring Widen(const std::string& text) {
  if (text.empty()) return {};
  const int length = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                         nullptr, 0);
  std::wstring wide(static_cast<size_t>(length), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
  return wide;
}

std::string Narrow(const std::wstring& wide) {
  if (wide.empty()) return {};
  const int length = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()),
                                         nullptr, 0, nullptr, nullptr);
  std::string text(static_cast<size_t>(length), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), text.data(), length,
                      nullptr, nullptr);
  return text;
}

}  // namespace

std::string ReadRegistryDefaultValue(const std::string& key) {
  HKEY handle = nullptr;
  if (RegOpenKeyExW(HKEY_CLASSES_ROOT, Widen(key).c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS)
    return {};
  // RegGetValueW accepts text values only (expanding REG_EXPAND_SZ) and ends
  // them with a NUL; a command of any length is read whole.
  std::wstring value;
  DWORD bytes = 0;
  LSTATUS status = RegGetValueW(handle, nullptr, nullptr, RRF_RT_REG_SZ, nullptr, nullptr, &bytes);
  while (status == ERROR_SUCCESS || status == ERROR_MORE_DATA) {
    value.assign(bytes / sizeof(wchar_t) + 1, L'\0');
    bytes = static_cast<DWORD>(value.size() * sizeof(wchar_t));
    status = RegGetValueW(handle, nullptr, nullptr, RRF_RT_REG_SZ, nullptr, value.data(), &bytes);
    if (status == ERROR_SUCCESS) {
      value.resize(value.find(L'\0'));
      break;
    }
  }
  RegCloseKey(handle);
  return status == ERROR_SUCCESS ? Narrow(value) : std::string();
}

#else

#include <QDir>
#include <QStandardPaths>
#include <QString>
#include <QStringList>

namespace {

// Where xdg-open is looked for: the absolute directories of PATH, then the
// system's own, so that neither an empty PATH nor a relative entry such as "."
// decides which program opens the link.
QStringList ProgramDirectories() {
  QStringList directories;
  for (const QString& directory : qEnvironmentVariable("PATH").split(u':', Qt::SkipEmptyParts))
    if (QDir::isAbsolutePath(directory)) directories << directory;
  directories << QStringLiteral("/usr/local/bin") << QStringLiteral("/usr/bin")
              << QStringLiteral("/bin");
  return directories;
}

}  // namespace

std::string ReadRegistryDefaultValue(const std::string& key) {
  if (key != kWebLinkCommandKey) return {};
  const QString path =
      QStandardPaths::findExecutable(QStringLiteral("xdg-open"), ProgramDirectories());
  if (path.isEmpty()) return {};
  const QString command = path.contains(u' ') ? u'"' + path + u'"' : path;
  return command.toStdString();
}

#endif
