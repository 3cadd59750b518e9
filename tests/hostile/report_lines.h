// Taking kelvara-tab's report apart for the checks of the hostile-input tests.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "tests/support/report_fields.h"

namespace kelvara::hostile {

using testing::ReportFields;
using testing::ReportLines;



// The fields after the label of the first group line labelled `label` (as
// printed, without its quotes): n, missing, then the statistics. Empty when
// there is no such line.
inline std::vector<std::string> GroupFields(const std::vector<std::string>& lines,
                                            std::string_view label) {
  std::string quoted = "\"";
  quoted.append(label).append("\",");
  for (const std::string& line : lines) {
    if (line.rfind(quoted, 0) == 0) return ReportFields(std::string_view(line).substr(quoted.size()));
  }
  return {};
}

// "n,missing" of the group line labelled `label`, the short way to compare.
inline std::string Counts(const std::vector<std::string>& lines, std::string_view label) {
  const std::vector<std::string> fields = GroupFields(lines, label);
  return fields.size() < 2 ? "(no line)" : fields[0] + "," + fields[1];
}

// Whether `lines` are whole report blocks of `groups` group lines each: a
// header, the column titles, group lines of 3 or 17 fields, the strata line
// and an empty line.
inline bool AreReportBlocks(const std::vector<std::string>& lines, size_t groups) {
  const size_t blockSize = groups + 4;
  if (lines.empty() || lines.size() % blockSize != 0) return false;
  for (size_t start = 0; start < lines.size(); start += blockSize) {
    if (ReportFields(lines[start + 1]).size() != 17 || !lines[start + blockSize - 1].empty()) return false;
    for (size_t g = 0; g < groups; ++g) {
      const size_t fields = ReportFields(lines[start + 2 + g]).size();
      if (fields != 3 && fields != 17) return false;
    }
  }
  return true;
}

}  // namespace kelvara::hostile
