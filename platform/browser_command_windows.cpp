#include "platform/browser_command.h"

#include <filesystem>

#include "platform/utf8_path.h"

std::string ReadRegistryDefaultValue(const std::string& key) {
  return ReadRegistryText(RegistryRoot::classesRoot, key);
}

std::string BrowserProgram(const std::string& registeredCommand) {
  return ChooseBrowserProgram(registeredCommand, ReadRegistryText, [](const std::string& path) {
    std::error_code ignored;
    return !path.empty() && std::filesystem::is_regular_file(kelvara::PathFromUtf8(path), ignored);
  });
}
