#include "engine/reading/results_lines.h"

#include <algorithm>

#include "engine/reading/text_blocks.h"
#include "engine/reading/text_encoding.h"

namespace kelvara {

ResultsLines ReadResultsLines(const std::filesystem::path& path,
                              const NameConversion& utf8ToCp932, size_t byteLimit,
                              std::stop_token stop, const ReadingProgress& progress) {
  ResultsLines result;
  TextFileBlocks blocks(std::min<size_t>(byteLimit, 1 << 20), TextFileBlocks::ByteOrderMark::drop);
  if (!blocks.Open(path)) {
    result.status = ResultsLines::Status::cannotRead;
    return result;
  }
  std::vector<std::string>& lines = result.lines;
  size_t read = 0;  // without the dropped CR bytes: near enough for a bar
  for (std::string block; read < byteLimit && !stop.stop_requested() && blocks.Next(block);) {
    read += block.size();
    LineCursor cursor(block);
    for (std::string_view line; cursor.Next(line);) lines.emplace_back(line);
    if (progress) progress(lines.size(), read, blocks.fileSize());
  }
  if (blocks.failed()) {
    result.status = ResultsLines::Status::cannotRead;
    lines.clear();
    return result;
  }
  const bool byteOrderMark = blocks.droppedByteOrderMark();
  bool valid = true, nonAscii = false;
  for (const std::string& line : lines) {
    if (!IsValidUtf8(line)) {
      valid = false;
      break;
    }
    nonAscii = nonAscii || LooksLikeUtf8(line);
  }
  if (!valid || (!byteOrderMark && !nonAscii)) {
    if (byteOrderMark && !lines.empty()) lines.front().insert(0, kUtf8ByteOrderMark);
    return result;
  }
  for (size_t i = 0; i < lines.size(); ++i) {
    std::optional<std::string> converted = utf8ToCp932(lines[i]);
    if (!converted) {
      result.status = ResultsLines::Status::lackingCp932;
      result.badLine = i + 1;
      return result;
    }
    lines[i] = std::move(*converted);
  }
  return result;
}

}  // namespace kelvara
