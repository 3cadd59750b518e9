// The rules a reference table's records keep with each other, beyond each
// record's own form: one value per band, one nutrient per survey column name,
// one unit per nutrient, and requirements in their natural order.
#pragma once

#include <string>
#include <vector>

#include "engine/reading/reference_table.h"

namespace kelvara {

// A problem of a table: on `line` (0 for the table as a whole), and on
// `otherLine` too when two records contradict each other (else 0).
struct TableProblem {
  int line = 0;
  int otherLine = 0;
  std::string text;  // UTF-8

  // "12行目と30行目：..." (UTF-8).
  std::string Message() const;
};

// Adds the problems between the records of `table`; `nameLines` gives the
// line of each name row.
void AddCrossRecordProblems(const ReferenceTable& table, const std::vector<int>& nameLines,
                            std::vector<TableProblem>& problems);

}  // namespace kelvara
