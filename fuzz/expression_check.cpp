#include "fuzz/expression_check.h"

#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#include "expression/formula.h"
#include "expression/formula_text.h"

namespace kelvara::fuzz {
namespace {

const std::vector<std::string> kHeader = {"a",   "b",   "c d",           "12",
                                          "dup", "dup", "たんぱく質(g)", "{x}"};

// Operand values of the rows evaluated: ordinary, signed zeros, extremes.
constexpr std::array<double, 8> kValues = {1.5, -2.0, 0.0, -0.0, 1e308, 4.9e-324, 7.0, 1e-3};
// Rows 3 and 6 are not usable: they must keep what they hold.
constexpr std::array<uint8_t, 8> kUsable = {1, 1, 1, 0, 1, 1, 0, 1};
constexpr double kUntouched = 123456.75;

bool SameBits(double x, double y) { return std::memcmp(&x, &y, sizeof x) == 0; }

// The formula's values on the rows, operand k of row i being the value of
// row (i + k) in kValues.
std::vector<double> Values(const RowFormula& formula) {
  const size_t operands = formula.operandColumns().size();
  std::vector<std::vector<double>> columns(operands, std::vector<double>(kValues.size()));
  for (size_t k = 0; k < operands; ++k) {
    for (size_t i = 0; i < kValues.size(); ++i) columns[k][i] = kValues[(i + k) % kValues.size()];
  }
  std::vector<std::span<const double>> spans(columns.begin(), columns.end());
  std::vector<double> values(kValues.size(), kUntouched);
  formula.Evaluate(spans, kUsable, values);
  return values;
}

}  // namespace

std::string CheckExpression(std::string_view bytes) {
  const CompiledFormula compiled = CompileFormula(bytes, kHeader);
  if (compiled.rows && compiled.problem) return "both a formula and a problem";
  if (!compiled.rows && !compiled.problem) return "neither a formula nor a problem";
  if (compiled.problem) {
    const FormulaProblem& problem = *compiled.problem;
    if (problem.position > CharacterCount(bytes))
      return "the problem's position lies past the expression";
    if (!problem.text.empty() && bytes.find(problem.text) == std::string_view::npos) {
      return "the problem names a piece the expression does not hold";
    }
    return {};
  }
  for (int column : compiled.rows->operandColumns()) {
    if (column < 0 || static_cast<size_t>(column) >= kHeader.size()) {
      return "an operand column outside the header";
    }
  }
  const std::vector<double> values = Values(*compiled.rows);
  const std::vector<double> again = Values(*compiled.rows);
  for (size_t i = 0; i < values.size(); ++i) {
    if (!kUsable[i] && !SameBits(values[i], kUntouched))
      return "a row that is not usable was written";
    if (!SameBits(values[i], again[i]) && !(std::isnan(values[i]) && std::isnan(again[i]))) {
      return "the same rows evaluate differently twice";
    }
  }
  // In brackets, and negated, as far as the length limit leaves room.
  const std::string expression(bytes);
  if (expression.size() + 3 > kFormulaCharacterLimit) return {};
  const CompiledFormula bracketed = CompileFormula("(" + expression + ")", kHeader);
  const CompiledFormula negated = CompileFormula("-(" + expression + ")", kHeader);
  if (!bracketed.rows || !negated.rows) return "in brackets the expression no longer compiles";
  const std::vector<double> inBrackets = Values(*bracketed.rows);
  const std::vector<double> negatives = Values(*negated.rows);
  for (size_t i = 0; i < values.size(); ++i) {
    if (!kUsable[i]) continue;
    if (std::isnan(values[i])) {
      if (!std::isnan(inBrackets[i]) || !std::isnan(negatives[i]))
        return "NaN only outside brackets";
      continue;
    }
    if (!SameBits(values[i], inBrackets[i])) return "brackets change a value";
    if (!SameBits(-values[i], negatives[i])) return "a minus before the brackets is no negation";
  }
  return {};
}

}  // namespace kelvara::fuzz
