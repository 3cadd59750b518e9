// An expression as the user wrote it, checked character by character and
// rewritten for the expression library: columns in braces become operand
// names, full-width characters their ASCII forms, and each character of the
// result remembers where in the user's text it came from.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "expression/formula.h"

namespace kelvara {

struct FormulaText {
  std::string translated;  // ASCII, operand k named OperandName(k)
  // Per byte of `translated`: the characters of the user's text it stands
  // for, [from, to) (a whole "{...}" for an operand name).
  std::vector<std::pair<size_t, size_t>> origin;
  std::vector<int> operandColumns;  // 0-based, in the order the names count
  size_t characterCount = 0;        // of the user's text
};

// The name operand k has in the translated text: not one the user can write,
// since no name but a function's gets through the check.
std::string OperandName(size_t k);

// How many characters the user's text holds (a byte of no well-formed UTF-8
// character counting as one).
size_t CharacterCount(std::string_view expression);

// The user's characters [from, to) as UTF-8.
std::string CharactersOf(std::string_view expression, size_t from, size_t to);

// Checks and rewrites `expression` against the header; a problem when it
// holds something no expression may.
std::optional<FormulaText> TranslateFormula(std::string_view expression,
                                            std::span<const std::string> header,
                                            FormulaProblem& problem);

}  // namespace kelvara
