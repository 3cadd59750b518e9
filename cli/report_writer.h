// Writing report lines (or a workbook's bytes) to standard output or to a
// file, all or nothing.
#pragma once

#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>

namespace kelvara {

// Writes lines with CR LF after each (the bytes of a saved results file), or
// decoded to UTF-8 with LF for a terminal. A file is written under a temporary
// name beside the target and put in its place only when every byte is safely
// on the disk, so a failed run never leaves a half-written or destroyed file.
// A symbolic link is followed; a device or pipe (/dev/null, NUL) is written
// directly.
class ReportWriter {
 public:
  // An empty target is standard output.
  ReportWriter(std::filesystem::path target, bool utf8);
  ~ReportWriter();
  ReportWriter(const ReportWriter&) = delete;
  ReportWriter& operator=(const ReportWriter&) = delete;

  // Prepares the output; false with `error` set when it cannot be created.
  bool Open(std::string& error);
  void WriteLine(std::string_view line);
  // Bytes as they are (a workbook's), with no line end and no conversion.
  void WriteBytes(std::string_view bytes);
  // Finishes the output; false with `error` set when anything failed.
  bool Commit(std::string& error);

 private:
  std::string CannotWrite(const std::string& reason) const;
  void Discard();

  std::filesystem::path target_;
  bool utf8_;
  std::filesystem::path temporary_;
  std::FILE* file_ = nullptr;
  bool writeFailed_ = false;
};

}  // namespace kelvara
