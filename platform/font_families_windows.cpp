#include "platform/font_families.h"

namespace kelvara {

std::vector<std::string> WindowFontFamilyNames() {
  return {"Yu Gothic UI", "Meiryo UI", "MS UI Gothic"};
}

std::vector<std::string> FixedWidthFontFamilyNames() { return {"MS Gothic"}; }

}  // namespace kelvara
