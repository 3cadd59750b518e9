#include "codec/cp932.h"

#include <iconv.h>

#include <cerrno>
#include <mutex>
#include <stdexcept>

namespace kelvara {
namespace {

constexpr std::string_view kReplacementCharacter = "\xEF\xBF\xBD";  // U+FFFD
constexpr std::string_view kMicroSign = "\xC2\xB5";  // U+00B5
constexpr std::string_view kMu = "\xCE\xBC";         // U+03BC

// One iconv descriptor per direction, opened once and reused. glibc's "CP932"
// is the Windows code page exactly (①, ㎎, and ～ at 0x81 0x60 included) and
// passes control bytes through unchanged.
class Converter {
 public:
  Converter(const char* to, const char* from) : handle_(iconv_open(to, from)) {
    if (handle_ == reinterpret_cast<iconv_t>(-1)) {
      throw std::runtime_error(std::string("iconv cannot convert ") + from + " to " + to);
    }
  }
  ~Converter() { iconv_close(handle_); }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  // Converts as much as possible; returns false at the first byte that cannot
  // be converted, leaving `in` there.
  bool Convert(std::string_view& in, std::string& out) {
    iconv(handle_, nullptr, nullptr, nullptr, nullptr);
    char buffer[4096];
    while (!in.empty()) {
      char* inPtr = const_cast<char*>(in.data());
      size_t inLeft = in.size();
      char* outPtr = buffer;
      size_t outLeft = sizeof buffer;
      const size_t result = iconv(handle_, &inPtr, &inLeft, &outPtr, &outLeft);
      out.append(buffer, static_cast<size_t>(outPtr - buffer));
      in.remove_prefix(in.size() - inLeft);
      if (result == static_cast<size_t>(-1) && errno != E2BIG) return false;
    }
    return true;
  }

  std::mutex mutex;

 private:
  iconv_t handle_;
};

Converter& Decoder() {
  static Converter converter("UTF-8", "CP932");
  return converter;
}

Converter& Encoder() {
  static Converter converter("CP932", "UTF-8");
  return converter;
}

}  // namespace

std::string Cp932ToUtf8(std::string_view cp932) {
  Converter& decoder = Decoder();
  std::lock_guard lock(decoder.mutex);
  std::string utf8;
  utf8.reserve(cp932.size() * 3 / 2);
  while (!decoder.Convert(cp932, utf8)) {
    utf8.append(kReplacementCharacter);
    cp932.remove_prefix(1);
  }
  return utf8;
}

std::optional<std::string> Utf8ToCp932(std::string_view utf8) {
  // The micro sign of "µg" as the Greek mu, the only mu code page 932 has.
  std::string withMu;
  if (utf8.find(kMicroSign) != std::string_view::npos) {
    withMu = utf8;
    for (size_t at = 0; (at = withMu.find(kMicroSign, at)) != std::string::npos; at += kMu.size()) {
      withMu.replace(at, kMicroSign.size(), kMu);
    }
    utf8 = withMu;
  }
  Converter& encoder = Encoder();
  std::lock_guard lock(encoder.mutex);
  std::string cp932;
  if (!encoder.Convert(utf8, cp932)) return std::nullopt;
  return cp932;
}

}  // namespace kelvara
