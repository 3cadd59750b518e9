// A build without muparser (a cross build given no muparser for its target):
// expressions are checked as far as their text goes and then refused, so
// that the programs still build and say plainly what is missing.
#include "expression/formula.h"
#include "expression/formula_text.h"

namespace kelvara {

bool FormulasAvailable() { return false; }

CompiledFormula CompileFormula(std::string_view expression, std::span<const std::string> header) {
  CompiledFormula compiled;
  FormulaProblem problem;
  if (!TranslateFormula(expression, header, problem)) {
    compiled.problem = problem;
  } else {
    compiled.problem = FormulaProblem{FormulaProblem::Kind::unavailable, 0, ""};
  }
  return compiled;
}

}  // namespace kelvara
