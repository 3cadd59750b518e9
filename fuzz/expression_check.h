// What compiling and evaluating any expression must give.
#pragma once

#include <string>
#include <string_view>

namespace kelvara::fuzz {

// Compiles `bytes` as the expression of a computed variable against a fixed
// header and checks the outcome: a problem points into the expression, a
// formula reads only header columns, evaluates every usable row the same way
// twice and no other row, and gives the same values in brackets and their
// negatives after a minus. Returns an empty string when everything holds,
// otherwise a description of the first failure.
std::string CheckExpression(std::string_view bytes);

}  // namespace kelvara::fuzz
