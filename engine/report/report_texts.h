// Every text by which a reader of the report tells what a column or a line
// is, as the report writer writes it, so that the window's help can be held
// to explain each one: a column or line kind added without its explanation
// fails the help's test.
#pragma once

#include <string>
#include <vector>

namespace kelvara {

// Code page 932 texts, without quotes.
struct ReportTexts {
  // Every column title a block can have: the 17 fixed ones, those every
  // design option adds (the share's titles under the cut-off 7.5), and the
  // ratio block's.
  std::vector<std::string> columnTitles;
  // What an added block's heading puts after the variable's name:
  // （習慣的摂取量）, the two energy adjustments', （比の推定）.
  std::vector<std::string> headingSuffixes;
  // The start of each kind of line that is neither a heading, a title line
  // nor a group line: the strata lines, the reference line, the provenance
  // line, the usual-intake method line and warning, the line of first rows
  // only, the formula line, the energy-adjusted and ratio method lines.
  std::vector<std::string> lineStarts;
};

ReportTexts EveryReportText();

}  // namespace kelvara
