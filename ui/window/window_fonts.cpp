#include "ui/window/window_fonts.h"

#include "platform/font_families.h"

namespace {

QStringList Families(const std::vector<std::string>& names) {
  QStringList families;
  for (const std::string& name : names) families.append(QString::fromStdString(name));
  return families;
}

}  // namespace

QStringList WindowFontFamilies() { return Families(kelvara::WindowFontFamilyNames()); }

QStringList FixedWidthFontFamilies() { return Families(kelvara::FixedWidthFontFamilyNames()); }
