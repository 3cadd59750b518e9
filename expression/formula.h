// Expressions that define computed variables, such as
// "{たんぱく質}*4/{エネルギー}*100": compiled against the survey file's header
// into the formula a run evaluates row by row.
//
// An expression holds columns in braces, by header text ({たんぱく質}) or by
// 1-based number ({7}); numbers written with a decimal point (2.5, 1e3);
// + - * / and ^ (power); parentheses; and the functions min, max (any number
// of values), abs, sqrt, log (natural) and exp. Full-width forms of these
// characters, as a Japanese input method types them, count as their ASCII
// forms. Anything else is refused with its position.
#pragma once

#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "engine/derived_variable.h"

namespace kelvara {

// What is wrong with an expression, and where.
struct FormulaProblem {
  enum class Kind {
    empty,            // nothing but blanks
    tooLong,          // more than kFormulaCharacterLimit characters
    unclosedBrace,    // a "{" without its "}"
    strayBrace,       // a "}" without its "{"
    emptyBrace,       // "{}" names no column
    unknownColumn,    // no column has that header text or number (`text`)
    ambiguousColumn,  // several columns have that header text (`text`)
    character,        // a character no expression holds (`text`)
    unknownName,      // a name that is no function (`text`)
    comma,            // a comma outside a function's brackets
    incomplete,       // the expression stops short
    unbalanced,       // a bracket left open or closed too often
    arguments,        // a function given too many or too few values (`text`)
    syntax,           // nothing can stand here (`text`, the piece found)
  };
  Kind kind = Kind::syntax;
  size_t position = 0;  // characters (not bytes) from the start, 0-based
  std::string text;     // UTF-8

  bool operator==(const FormulaProblem&) const = default;
};

inline constexpr size_t kFormulaCharacterLimit = 1000;

// A computed variable as the user defines it, UTF-8.
struct DerivedDefinition {
  std::string name;
  std::string expression;

  bool operator==(const DerivedDefinition&) const = default;
};

struct CompiledFormula {
  std::shared_ptr<const RowFormula> rows;  // null when there is a problem
  std::optional<FormulaProblem> problem;
};

// Compiles `expression` (UTF-8) against the header texts (UTF-8, in column
// order). A column in braces is its 1-based number when the text is all
// digits, else the one column whose header is that text (as written, else
// with blanks around it left off). Numbers are read the same way whatever
// the process locale.
CompiledFormula CompileFormula(std::string_view expression, std::span<const std::string> header);

// How an expression names column `column` (0-based) of the header: "{text}"
// when its header text names it alone and reads back as written, else
// "{number}".
std::string ColumnReference(int column, std::span<const std::string> header);

}  // namespace kelvara
