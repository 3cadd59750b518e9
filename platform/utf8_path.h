// File names held as UTF-8 text (command-line arguments, messages) and as
// std::filesystem::path, the form the engine opens files by.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace kelvara {

// On Windows the name becomes UTF-16, so that every script reaches the file
// system; elsewhere the bytes are the name as they stand, valid UTF-8 or not.
inline std::filesystem::path PathFromUtf8(std::string_view text) {
#ifdef _WIN32
  return std::filesystem::path(std::u8string(text.begin(), text.end()));
#else
  return std::filesystem::path(std::string(text));
#endif
}

// The name as UTF-8 text, for messages (elsewhere than Windows: its bytes).
inline std::string Utf8FromPath(const std::filesystem::path& path) {
#ifdef _WIN32
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
#else
  return path.string();
#endif
}

}  // namespace kelvara
