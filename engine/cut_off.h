// The cut-off of the share below it, read from text: the one reading for the
// design dialog, the settings file and kelvara-tab's --below.
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
