#include "cli/workbook_output.h"

#include <system_error>

#include "cli/report_writer.h"
#include "codec/cp932.h"
#include "engine/reading/results_lines.h"
#include "engine/report/report_reading.h"
#include "engine/report/results_workbook.h"
#include "platform/utf8_path.h"
#include "workbook/xlsx_bytes.h"

namespace kelvara {

std::optional<std::string> WorkbookBytes(std::span<const std::string> lines,
                                         std::span<const RunSpan> runs, std::string& error) {
  if (ReadReportBlocks(lines).empty()) {
    error = "no report block (no line with a 【name】 heading) to put into a workbook";
    return std::nullopt;
  }
  XlsxBytes written = WriteXlsx(ResultsWorkbook(lines, runs, SummaryDecimals{}));
  if (written.status != XlsxBytes::Status::ok) {
    error = "cannot make the workbook: " + written.detail;
    return std::nullopt;
  }
  return std::move(written.bytes);
}

std::optional<std::vector<std::string>> ResultsFileLines(const std::string& fileName,
                                                         std::string& error) {
  ResultsLines read = ReadResultsLines(PathFromUtf8(fileName), Utf8ToCp932);
  switch (read.status) {
    case ResultsLines::Status::cannotRead:
      error = "cannot read the results file " + fileName;
      return std::nullopt;
    case ResultsLines::Status::lackingCp932:
      error = "the results file " + fileName + " is UTF-8, but line " +
              std::to_string(read.badLine) + " has a character that code page 932 lacks";
      return std::nullopt;
    case ResultsLines::Status::ok:
      break;
  }
  if (ReadReportBlocks(read.lines).empty()) {
    error = fileName + " is no results file: it has no line with a 【name】 heading";
    return std::nullopt;
  }
  return std::move(read.lines);
}

bool WriteWorkbookFile(const std::string& fileName, std::string_view bytes, std::string& error) {
  ReportWriter writer(PathFromUtf8(fileName), false);
  if (!writer.Open(error)) return false;
  writer.WriteBytes(bytes);
  return writer.Commit(error);
}

bool SameFile(const std::string& a, const std::string& b) {
  std::error_code error;
  return std::filesystem::equivalent(PathFromUtf8(a), PathFromUtf8(b), error) && !error;
}

}  // namespace kelvara
