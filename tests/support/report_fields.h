// The fields of a report line, shared by the tests and the fuzz checks.
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

}  // namespace kelvara::testing
