#include "platform/standard_streams.h"

namespace kelvara {

void UseBinaryStandardStreams() {}

bool WriteUtf8(std::FILE* stream, std::string_view text) {
  return std::fwrite(text.data(), 1, text.size(), stream) == text.size();
}

}  // namespace kelvara
