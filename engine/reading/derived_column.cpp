#include "engine/reading/derived_column.h"

#include <cassert>
#include <cmath>
#include <vector>

namespace kelvara {

VariableColumn DeriveColumn(const DerivedVariable& derived,
                            std::span<const VariableColumn* const> operands, size_t rowCount) {
  assert(derived.rows && "a computed variable needs its formula");
  assert(operands.size() == derived.rows->operandColumns().size() &&
         "one column for each operand of the formula");
  VariableColumn column;
  column.name = derived.name;
  column.value.assign(rowCount, 0.0);
  column.valid.assign(rowCount, 1);
  std::vector<std::span<const double>> values;
  values.reserve(operands.size());
  for (const VariableColumn* operand : operands) {
    assert(operand->value.size() >= rowCount && operand->valid.size() >= rowCount &&
           "every operand column holds every row");
    values.emplace_back(operand->value.data(), rowCount);
    for (size_t row = 0; row < rowCount; ++row) column.valid[row] &= operand->valid[row];
  }
  derived.rows->Evaluate(values, column.valid, column.value);
  // What the formula gives for rows without a value is no figure: the row
  // keeps 0, as a missing file cell reads.
  for (size_t row = 0; row < rowCount; ++row) {
    if (!std::isfinite(column.value[row])) column.valid[row] = 0;
    if (!column.valid[row]) column.value[row] = 0.0;
  }
  return column;
}

}  // namespace kelvara
