// Expressions compiled and evaluated by muparser.
#include <muParser.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <limits>
#include <locale>
#include <mutex>
#include <stdexcept>

#include "expression/formula.h"
#include "expression/formula_text.h"

namespace kelvara {
namespace {

using Kind = FormulaProblem::Kind;

// muparser reads numbers through a stream with a locale of its own (a static
// of the library): it is set to the classic locale once, before any
// expression is read, so that "2.5" is two and a half under a decimal-comma
// locale too.
class ClassicParser : public mu::Parser {
 public:
  ClassicParser() {
    static std::once_flag classic;
    std::call_once(classic, [] { s_locale = std::locale::classic(); });
  }
};

// min and max of any number of values; not a number when one of them is not.
double Smallest(const double* values, int count) {
  double smallest = values[0];
  for (int k = 1; k < count; ++k) {
    if (std::isnan(values[k])) return values[k];
    if (values[k] < smallest) smallest = values[k];
  }
  return smallest;
}

double Largest(const double* values, int count) {
  double largest = values[0];
  for (int k = 1; k < count; ++k) {
    if (std::isnan(values[k])) return values[k];
    if (values[k] > largest) largest = values[k];
  }
  return largest;
}

double Absolute(double x) { return std::fabs(x); }
double SquareRoot(double x) { return std::sqrt(x); }
double NaturalLog(double x) { return std::log(x); }
double Exponential(double x) { return std::exp(x); }

// A parser that knows the expression's functions and operands and nothing
// else: no constants, no functions of the library's own. `operands` holds one
// value per operand and must outlive it.
void SetUp(ClassicParser& parser, const std::string& translated, std::vector<double>& operands) {
  parser.ClearConst();
  parser.ClearFun();
  parser.DefineFun("min", Smallest);
  parser.DefineFun("max", Largest);
  parser.DefineFun("abs", Absolute);
  parser.DefineFun("sqrt", SquareRoot);
  parser.DefineFun("log", NaturalLog);
  parser.DefineFun("exp", Exponential);
  for (size_t k = 0; k < operands.size(); ++k) parser.DefineVar(OperandName(k), &operands[k]);
  parser.SetExpr(translated);
}

class MuparserFormula : public RowFormula {
 public:
  explicit MuparserFormula(FormulaText text) : text_(std::move(text)) {}

  const std::vector<int>& operandColumns() const override { return text_.operandColumns; }

  // A parser of its own for each call, so that calls may run side by side.
  void Evaluate(std::span<const std::span<const double>> operands, std::span<const uint8_t> usable,
                std::span<double> values) const override {
    std::vector<double> row(operands.size());
    ClassicParser parser;
    try {
      SetUp(parser, text_.translated, row);
      for (size_t i = 0; i < values.size(); ++i) {
        if (!usable[i]) continue;
        for (size_t k = 0; k < row.size(); ++k) row[k] = operands[k][i];
        values[i] = parser.Eval();
      }
    } catch (const mu::Parser::exception_type& error) {
      // The expression was read once already, so this is a fault of ours.
      throw std::logic_error("a compiled expression failed to evaluate: " + error.GetMsg());
    }
  }

 private:
  FormulaText text_;
};

// The problem a muparser error stands for, at the user's characters.
FormulaProblem ProblemOf(const mu::Parser::exception_type& error, const FormulaText& text,
                         std::string_view expression) {
  FormulaProblem problem;
  switch (error.GetCode()) {
    case mu::ecUNEXPECTED_EOF: problem.kind = Kind::incomplete; break;
    case mu::ecMISSING_PARENS: problem.kind = Kind::unbalanced; break;
    case mu::ecTOO_MANY_PARAMS:
    case mu::ecTOO_FEW_PARAMS: problem.kind = Kind::arguments; break;
    case mu::ecUNEXPECTED_ARG_SEP: problem.kind = Kind::comma; break;
    case mu::ecEMPTY_EXPRESSION: problem.kind = Kind::empty; break;
    default: problem.kind = Kind::syntax; break;
  }
  const int position = error.GetPos();
  if (position < 0 || static_cast<size_t>(position) >= text.origin.size()) {
    problem.position = text.characterCount;
    return problem;
  }
  auto at = static_cast<size_t>(position);
  if (problem.kind == Kind::arguments) {
    // The library stops at the closing bracket: the function is named
    // before the bracket that opens it.
    const std::string& t = text.translated;
    for (int depth = 0; at > 0; --at) {
      depth += t[at] == ')' ? 1 : t[at] == '(' ? -1 : 0;
      if (depth == 0) break;
    }
    size_t name = at;
    while (name > 0 && t[name - 1] == ' ') --name;
    while (name > 0 && std::isalnum(static_cast<unsigned char>(t[name - 1]))) --name;
    const size_t end = std::min(t.find_first_of(" (", name), t.size());
    problem.position = text.origin[name].first;
    if (end > name) {
      problem.text = CharactersOf(expression, problem.position, text.origin[end - 1].second);
    }
    return problem;
  }
  problem.position = text.origin[at].first;
  // The piece the library names, as the user wrote it.
  const size_t length = std::min(error.GetToken().size(), text.origin.size() - at);
  const size_t to = length > 0 ? text.origin[at + length - 1].second : text.origin[at].second;
  if (problem.kind != Kind::unbalanced && problem.kind != Kind::incomplete) {
    problem.text = CharactersOf(expression, problem.position, to);
  }
  return problem;
}

}  // namespace

CompiledFormula CompileFormula(std::string_view expression, std::span<const std::string> header) {
  CompiledFormula compiled;
  FormulaProblem problem;
  std::optional<FormulaText> text = TranslateFormula(expression, header, problem);
  if (!text) {
    compiled.problem = problem;
    return compiled;
  }
  // Read once with every operand 1, so that every error shows now, not
  // while a run evaluates it.
  std::vector<double> operands(text->operandColumns.size(), 1.0);
  ClassicParser parser;
  try {
    SetUp(parser, text->translated, operands);
    parser.Eval();
    if (parser.GetNumResults() != 1) {
      compiled.problem = FormulaProblem{Kind::comma, 0, ""};
      return compiled;
    }
  } catch (const mu::Parser::exception_type& error) {
    compiled.problem = ProblemOf(error, *text, expression);
    return compiled;
  }
  compiled.rows = std::make_shared<const MuparserFormula>(std::move(*text));
  return compiled;
}

}  // namespace kelvara
