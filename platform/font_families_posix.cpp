#include "platform/font_families.h"

namespace kelvara {

std::vector<std::string> WindowFontFamilyNames() {
  return {"MS Sans Serif", "VL PGothic", "sans-serif"};
}

std::vector<std::string> FixedWidthFontFamilyNames() {
  return {"ＭＳ ゴシック", "VL Gothic", "monospace"};
}

}  // namespace kelvara
