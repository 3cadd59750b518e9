// The lines of a report and the fields of a line, shared by the tests and
// the fuzz checks.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kelvara::testing {

// The comma-separated fields of a report line, as written (labels keep their
// double quotes). Group labels hold no comma, so a plain split is exact for
// group, title and strata lines.
inline std::vector<std::string> ReportFields(std::string_view line) {
  std::vector<std::string> fields;
  for (;;) {
    const size_t comma = line.find(',');
    fields.emplace_back(line.substr(0, comma));
    if (comma == std::string_view::npos) return fields;
    line.remove_prefix(comma + 1);
  }
}

// The lines of a report, with LF or CR LF line ends.
inline std::vector<std::string> ReportLines(std::string_view text) {
  std::vector<std::string> lines;
  while (!text.empty()) {
    const size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.emplace_back(line);
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
  }
  return lines;
}

}  // namespace kelvara::testing
