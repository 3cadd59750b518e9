// The window's Japanese fonts, by platform, as family names (UTF-8).
#pragma once

#include <string>
#include <vector>

namespace kelvara {

// Families for the window's texts, best first: on Windows its Japanese user
// interface fonts (Yu Gothic UI, then Meiryo UI, then MS UI Gothic); elsewhere
// the VL Gothic face that stands in for the Windows fonts.
std::vector<std::string> WindowFontFamilyNames();

// Families for the fixed-width results pane: MS Gothic on Windows; elsewhere
// VL Gothic.
std::vector<std::string> FixedWidthFontFamilyNames();

}  // namespace kelvara
