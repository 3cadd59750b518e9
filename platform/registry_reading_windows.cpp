#include "platform/registry_reading.h"

#include <windows.h>

#include "platform/utf16_text.h"

std::string ReadRegistryText(RegistryRoot root, const std::string& key,
                             const std::string& valueName) {
  HKEY handle = nullptr;
  const HKEY rootHandle = root == RegistryRoot::classesRoot ? HKEY_CLASSES_ROOT : HKEY_CURRENT_USER;
  if (RegOpenKeyExW(rootHandle, kelvara::Utf16FromUtf8(key).c_str(), 0, KEY_READ, &handle) !=
      ERROR_SUCCESS) {
    return {};
  }
  const std::wstring name = kelvara::Utf16FromUtf8(valueName);
  const wchar_t* namePointer = valueName.empty() ? nullptr : name.c_str();
  // RegGetValueW accepts text values only (expanding REG_EXPAND_SZ) and ends
  // them with a NUL; a value of any length is read whole, also one that grows
  // between the two calls.
  std::wstring value;
  DWORD bytes = 0;
  LSTATUS status =
      RegGetValueW(handle, nullptr, namePointer, RRF_RT_REG_SZ, nullptr, nullptr, &bytes);
  while (status == ERROR_SUCCESS || status == ERROR_MORE_DATA) {
    value.assign(bytes / sizeof(wchar_t) + 1, L'\0');
    bytes = static_cast<DWORD>(value.size() * sizeof(wchar_t));
    status = RegGetValueW(handle, nullptr, namePointer, RRF_RT_REG_SZ, nullptr, value.data(),
                          &bytes);
    if (status == ERROR_SUCCESS) {
      value.resize(value.find(L'\0'));
      break;
    }
  }
  RegCloseKey(handle);
  return status == ERROR_SUCCESS ? kelvara::Utf8FromUtf16(value) : std::string();
}
