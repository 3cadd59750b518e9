// Computed variables: values worked out row by row, the rows left missing,
// and what a bad expression is told.
#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <functional>
#include <locale>
#include <stdexcept>
#include <string>
#include <vector>

#include "engine/reading/derived_column.h"
#include "expression/formula.h"

namespace kelvara {
namespace {

using Kind = FormulaProblem::Kind;

const std::vector<std::string> kHeader = {"a", "b", "ビタミンＣ(mg)", "dup", "dup"};

VariableColumn Column(std::vector<double> value, std::vector<uint8_t> valid) {
  VariableColumn column;
  column.value = std::move(value);
  column.valid = std::move(valid);
  return column;
}

// Column a and b of six rows: ordinary values, a zero divisor, a missing a,
// a negative a, a zero a, and a quotient beyond the range of a double.
const VariableColumn kA = Column({3, 5, 7, -1, 0, 1e308}, {1, 1, 0, 1, 1, 1});
const VariableColumn kB = Column({2, 0, 4, 1, 3, 1e-308}, {1, 1, 1, 1, 1, 1});

VariableColumn Derive(const std::string& expression) {
  const CompiledFormula compiled = CompileFormula(expression, kHeader);
  if (!compiled.rows) throw std::runtime_error("not compiled: " + expression);
  DerivedVariable derived{5, "x", expression, compiled.rows};
  std::vector<const VariableColumn*> operands;
  for (int column : compiled.rows->operandColumns()) operands.push_back(column == 0 ? &kA : &kB);
  return DeriveColumn(derived, operands, kA.value.size());
}

TEST(ComputedVariable, ValuesFollowTheExpressionAndOtherRowsAreMissing) {
  struct Case {
    std::string expression;
    std::function<double(double a, double b)> closedForm;
  };
  const std::vector<Case> cases = {
      {"{a}/{b}", [](double a, double b) { return a / b; }},
      {"({a}+{b})*2-{b}^2", [](double a, double b) { return (a + b) * 2 - std::pow(b, 2); }},
      {"-{a}^2", [](double a, double) { return -std::pow(a, 2); }},
      {"2^3^2+{a}*0", [](double a, double) { return 512 + a * 0; }},
      {"min({a}, {b}, 1.5) + max({a}, {b})",
       [](double a, double b) {
         return std::min({a, b, 1.5}) + std::max(a, b);
       }},
      {"abs({a})+sqrt({a})", [](double a, double) { return std::fabs(a) + std::sqrt(a); }},
      {"log({a})-exp({b})", [](double a, double b) { return std::log(a) - std::exp(b); }},
      {"{1}*{2}+1e3-.5", [](double a, double b) { return a * b + 1e3 - .5; }},
      // Typed with a Japanese input method: full-width brackets and operators.
      {"（｛a｝＋１）＊{b}", [](double a, double b) { return (a + 1) * b; }},
  };
  for (const Case& c : cases) {
    const VariableColumn x = Derive(c.expression);
    for (size_t row = 0; row < kA.value.size(); ++row) {
      const double a = kA.value[row], b = kB.value[row];
      const double expected = c.closedForm(a, b);
      // A missing operand, or no finite result, is a missing value.
      const bool valid = kA.valid[row] && kB.valid[row] && std::isfinite(expected);
      EXPECT_EQ(x.valid[row], valid ? 1 : 0) << c.expression << " row " << row;
      EXPECT_EQ(x.value[row], valid ? expected : 0.0) << c.expression << " row " << row;
    }
  }
  // The rows each rule leaves out: the missing a (row 2) always; the zero
  // divisor (row 1) and the overflow (row 5) for the quotient; the logarithm
  // of -1 and of 0 (rows 3 and 4).
  EXPECT_EQ(Derive("{a}/{b}").valid, (std::vector<uint8_t>{1, 0, 0, 1, 1, 0}));
  EXPECT_EQ(Derive("log({a})").valid, (std::vector<uint8_t>{1, 1, 0, 0, 0, 1}));
  EXPECT_EQ(Derive("{b}").valid, (std::vector<uint8_t>{1, 1, 1, 1, 1, 1}));
}

TEST(ComputedVariable, ProblemsSayWhatAndWhere) {
  struct Case {
    std::string expression;
    FormulaProblem problem;
  };
  const std::vector<Case> cases = {
      {"", {Kind::empty, 0, ""}},
      {" \t", {Kind::empty, 0, ""}},
      {"{x}+1", {Kind::unknownColumn, 0, "x"}},
      {"1+{6}", {Kind::unknownColumn, 2, "6"}},
      {"{dup}", {Kind::ambiguousColumn, 0, "dup"}},
      {"2*{a", {Kind::unclosedBrace, 2, "{"}},
      {"2}", {Kind::strayBrace, 1, "}"}},
      {"{ }*2", {Kind::emptyBrace, 0, "{ }"}},
      {"2,5*{a}", {Kind::comma, 1, ","}},
      {"({a},{b})", {Kind::comma, 4, ","}},
      {"{a}=1", {Kind::character, 3, "="}},
      {"{ビタミンＣ(mg)}×2", {Kind::character, 11, "×"}},
      {"sin({a})", {Kind::unknownName, 0, "sin"}},
      {"c0+1", {Kind::unknownName, 0, "c0"}},
      {"{a}+", {Kind::incomplete, 4, ""}},
      {"({a}+1", {Kind::unbalanced, 6, ""}},
      {"{a} {b}", {Kind::syntax, 4, "{b}"}},
      {"sqrt({a},{b})", {Kind::arguments, 0, "sqrt"}},
  };
  for (const Case& c : cases) {
    const CompiledFormula compiled = CompileFormula(c.expression, kHeader);
    EXPECT_FALSE(compiled.rows) << c.expression;
    ASSERT_TRUE(compiled.problem) << c.expression;
    EXPECT_EQ(compiled.problem->kind, c.problem.kind) << c.expression;
    EXPECT_EQ(compiled.problem->position, c.problem.position) << c.expression;
    EXPECT_EQ(compiled.problem->text, c.problem.text) << c.expression;
  }
}

TEST(ComputedVariable, NumbersDoNotFollowTheProcessLocale) {
  const std::string savedC = std::setlocale(LC_ALL, nullptr);
  const std::locale savedCpp;
  try {
    std::locale::global(std::locale("de_DE.UTF-8"));
  } catch (const std::runtime_error&) {
    GTEST_SKIP() << "de_DE.UTF-8 is not installed";
  }
  std::setlocale(LC_ALL, "de_DE.UTF-8");
  const VariableColumn x = Derive("{a}*1.5+0.25");
  const CompiledFormula comma = CompileFormula("{a}*1,5", kHeader);
  std::locale::global(savedCpp);
  std::setlocale(LC_ALL, savedC.c_str());
  EXPECT_EQ(x.value[0], 3 * 1.5 + 0.25);
  ASSERT_TRUE(comma.problem);
  EXPECT_EQ(comma.problem->kind, Kind::comma);
}

}  // namespace
}  // namespace kelvara
