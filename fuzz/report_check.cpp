#include "fuzz/report_check.h"

#include <vector>

#include "engine/report/block_scheme.h"
#include "engine/report/report_format.h"
#include "engine/report/report_reading.h"
#include "engine/reading/text_blocks.h"

namespace kelvara::fuzz {

std::string CheckReportReading(std::string_view bytes) {
  std::vector<std::string> lines;
  LineCursor cursor(bytes);
  for (std::string_view line; cursor.Next(line);) lines.emplace_back(line);

  const std::vector<ReportBlock> blocks = ReadReportBlocks(lines);
  size_t next = 0;  // blocks start in order, each after the one before
  for (const ReportBlock& block : blocks) {
    if (block.headerLine < next || block.headerLine >= lines.size()) return "header out of order";
    next = block.headerLine + 1;
    // The name is exactly what the header line's brackets enclose.
    if (HeaderLine(block.name) != lines[block.headerLine]) return "name does not rebuild its line";
    if (block.titles.empty() && !block.groups.empty()) return "groups without column titles";
    for (const ReportGroupLine& group : block.groups) {
      if (group.label.empty()) return "group without a label";
      if (group.values.size() > block.titles.size()) return "more values than columns";
    }
    if (const std::optional<BlockScheme> scheme = MatchScheme(block)) {
      if (scheme->groups.size() != block.groups.size()) return "scheme groups do not match";
      for (size_t g = 0; g < block.groups.size(); ++g) {
        if (scheme->groups[g] != nullptr && block.groups[g].label != scheme->groups[g]->label) {
          return "group matched to another label";
        }
      }
    }
  }
  return {};
}

}  // namespace kelvara::fuzz
