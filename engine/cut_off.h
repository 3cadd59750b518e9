// A number typed by the user, read from text: the one reading of the cut-off
// of the share below it (design dialog, settings file, kelvara-tab's --below)
// and of the variance-ratio table's numbers.
#pragma once

#include <optional>
#include <string_view>

namespace kelvara {

// A decimal number as written in C, whatever the locale: an optional minus
// sign, digits with an optional fraction and exponent, spaces around it
// allowed. Nothing for anything else, and for inf and nan, which cut off no
// intake.
std::optional<double> ParseCutOff(std::string_view text);

}  // namespace kelvara
