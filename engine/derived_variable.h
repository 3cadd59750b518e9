// Computed variables: a value per row worked out from other columns of the
// survey file (たんぱく質エネルギー比率 from protein and energy, say), then
// tabulated, judged and charted as a column of the file would be. The engine
// knows only what a row's value follows from; the expression itself is
// compiled by the program around it and handed in as a RowFormula.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace kelvara {

// How a computed variable's value follows from file columns, row by row.
class RowFormula {
 public:
  virtual ~RowFormula() = default;

  // The file columns it reads (0-based), in the order Evaluate takes them.
  virtual const std::vector<int>& operandColumns() const = 0;

  // Writes `values[i]` for every row i whose `usable[i]` is 1, from
  // `operands[k][i]`, the value of operandColumns()[k] in row i; other rows
  // are left as they are. A result that is no finite number is allowed (the
  // run counts it as missing). May be called from several threads at once.
  virtual void Evaluate(std::span<const std::span<const double>> operands,
                        std::span<const uint8_t> usable, std::span<double> values) const = 0;
};

// A computed variable of a run. Its value in a row is missing when some
// operand cell of the row is missing, or when the formula gives no finite
// number there (a division by zero, the logarithm of 0); such rows are
// counted like any other missing value.
struct DerivedVariable {
  // The number the run knows it by in place of a file column (for its own
  // cut-off, its nutrient set by hand, its variance ratio): one past the
  // file's columns, so that it follows them. Not a column the run reads.
  int column = -1;
  std::string name;     // the block heading, code page 932
  std::string formula;  // the expression as the user wrote it, code page 932
  std::shared_ptr<const RowFormula> rows;
};

}  // namespace kelvara
