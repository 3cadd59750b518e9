// A computed variable's values, worked out row by row from the columns read.
#pragma once

#include <span>

#include "engine/derived_variable.h"
#include "engine/reading/survey_data.h"

namespace kelvara {

// The variable's column over `rowCount` rows, `operands` being the columns
// its formula reads, in the formula's order. A row is usable only when every
// operand cell is, and only a finite result is a value: a missing operand or
// a division by zero leaves the row missing.
VariableColumn DeriveColumn(const DerivedVariable& derived,
                            std::span<const VariableColumn* const> operands, size_t rowCount);

}  // namespace kelvara
