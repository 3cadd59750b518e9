// Prints what the code page 932 converter makes of every single byte, every
// pair of bytes and every character of Unicode's Basic Multilingual Plane, one
// line each, so that the Windows build's table can be compared byte for byte
// with the one glibc's converter gives.
#include <cstdio>
#include <string>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

#include "codec/cp932.h"

namespace {

std::string Hex(const std::string& bytes) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string hex;
  for (const char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    hex.push_back(kDigits[byte >> 4]);
    hex.push_back(kDigits[byte & 15]);
  }
  return hex;
}

std::string Utf8(char32_t c) {
  std::string text;
  if (c < 0x80) {
    text.push_back(static_cast<char>(c));
  } else if (c < 0x800) {
    text.push_back(static_cast<char>(0xC0 | (c >> 6)));
    text.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else {
    text.push_back(static_cast<char>(0xE0 | (c >> 12)));
    text.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    text.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  }
  return text;
}

}  // namespace

int main() {
#ifdef _WIN32
  _setmode(_fileno(stdout), _O_BINARY);
#endif
  for (int a = 0; a < 256; ++a) {
    const std::string one(1, static_cast<char>(a));
    std::printf("decode %s %s\n", Hex(one).c_str(), Hex(kelvara::Cp932ToUtf8(one)).c_str());
  }
  for (int a = 0; a < 256; ++a) {
    for (int b = 0; b < 256; ++b) {
      const std::string two = {static_cast<char>(a), static_cast<char>(b)};
      std::printf("decode %s %s\n", Hex(two).c_str(), Hex(kelvara::Cp932ToUtf8(two)).c_str());
    }
  }
  for (char32_t c = 0; c < 0x10000; ++c) {
    if (c >= 0xD800 && c < 0xE000) continue;  // surrogates are no characters
    const auto encoded = kelvara::Utf8ToCp932(Utf8(c));
    std::printf("encode U+%04X %s\n", static_cast<unsigned>(c),
                encoded ? Hex(*encoded).c_str() : "none");
  }
  return std::fflush(stdout) == 0 ? 0 : 1;
}
