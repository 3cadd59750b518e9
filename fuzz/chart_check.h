// What the chart tab must make of any results file at all.
#pragma once

#include <string>
#include <string_view>

namespace kelvara::fuzz {

// Splits `bytes` into lines as a results file is loaded, builds the chart
// data of every block read (both kinds, with and without both sexes) and
// paints each chart picture onto an image, as saving does. Needs a
// QApplication. Returns an empty string when every drawn mark has finite
// values and a place on the axis, otherwise a description of the first
// failure; a hang or undefined behaviour is left to the fuzzer to see.
std::string CheckChartDrawing(std::string_view bytes);

}  // namespace kelvara::fuzz
