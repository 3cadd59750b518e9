#include "ui/window/window_fonts.h"

QStringList WindowFontFamilies() {
#ifdef _WIN32
  return {QStringLiteral("Yu Gothic UI"), QStringLiteral("Meiryo UI"),
          QStringLiteral("MS UI Gothic")};
#else
  return {QStringLiteral("MS Sans Serif"), QStringLiteral("VL PGothic"),
          QStringLiteral("sans-serif")};
#endif
}

QStringList FixedWidthFontFamilies() {
#ifdef _WIN32
  return {QStringLiteral("MS Gothic")};
#else
  return {QStringLiteral("ＭＳ ゴシック"), QStringLiteral("VL Gothic"), QStringLiteral("monospace")};
#endif
}
