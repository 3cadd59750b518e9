#include "ui/window/display_text.h"

#include "codec/cp932.h"

QString DisplayText(std::string_view cp932) {
  const std::string utf8 = kelvara::Cp932ToUtf8(cp932);
  return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

QString DisplayText(std::string_view bytes, kelvara::TextEncoding encoding) {
  if (encoding == kelvara::TextEncoding::utf8) {
    return QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
  }
  return DisplayText(bytes);
}
