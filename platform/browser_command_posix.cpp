#include "platform/browser_command.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string_view>
#include <vector>

#include "platform/program_path.h"

namespace {

// xdg-open is looked for in the absolute directories of PATH, then in the
// system's own, so that neither an empty PATH nor a relative entry such as "."
// decides which program opens the link.
std::string FindXdgOpen() {
  std::vector<std::string> directories;
  const char* path = std::getenv("PATH");
  for (std::string_view rest = path ? path : ""; !rest.empty();) {
    const size_t colon = rest.find(':');
    const std::string_view entry = rest.substr(0, colon);
    if (entry.starts_with('/')) directories.emplace_back(entry);
    rest = colon == std::string_view::npos ? std::string_view() : rest.substr(colon + 1);
  }
  directories.insert(directories.end(), {"/usr/local/bin", "/usr/bin", "/bin"});
  for (const std::string& directory : directories) {
    const std::filesystem::path candidate =
        (std::filesystem::path(directory) / "xdg-open").lexically_normal();
    std::error_code ignored;
    if (std::filesystem::is_regular_file(candidate, ignored) &&
        access(candidate.c_str(), X_OK) == 0) {
      return candidate.string();
    }
  }
  return {};
}

}  // namespace

std::string ReadRegistryDefaultValue(const std::string& key) {
  if (key != kWebLinkCommandKey) return {};
  const std::string path = FindXdgOpen();
  return path.find(' ') == std::string::npos ? path : '"' + path + '"';
}

std::string BrowserProgram(const std::string& registeredCommand) {
  return ProgramPathFromCommand(registeredCommand);
}
