// The window's Japanese fonts, by platform (platform/font_families.h), as Qt
// takes them.
#pragma once

#include <QStringList>

QStringList WindowFontFamilies();
QStringList FixedWidthFontFamilies();
