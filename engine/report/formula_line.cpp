#include "engine/report/formula_line.h"

namespace kelvara {
namespace {

constexpr std::string_view kFormulaWord = "\x8Cv\x8EZ\x8E\xAE\x81" "F";  // 計算式：

}  // namespace

std::string FormulaLine(std::string_view formula) {
  std::string line;
  line.reserve(formula.size() + kFormulaWord.size() + 2);
  line.push_back('"');
  line.append(kFormulaWord);
  for (char c : formula) {
    if (c == '"') line.push_back('"');
    line.push_back(c);
  }
  line.push_back('"');
  return line;
}

}  // namespace kelvara
