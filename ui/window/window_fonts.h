// The window's Japanese fonts, by platform.
#pragma once

#include <QStringList>

// Families for the window's texts, best first: on Windows its Japanese user
// interface fonts (Yu Gothic UI, then Meiryo UI, then MS UI Gothic); elsewhere
// the VL Gothic face that stands in for the Windows fonts.
QStringList WindowFontFamilies();

// Families for the fixed-width results pane: MS Gothic on Windows; elsewhere
// VL Gothic.
QStringList FixedWidthFontFamilies();
