// Writing report lines to standard output or to a file, all or nothing.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

namespace kelvara {

// Writes lines with CR LF after each (the bytes of a saved results file), or
// decoded to UTF-8 with LF for a terminal. A file is written under a temporary
// name beside the target and renamed over it only when every byte is safely
// written, so a failed run never leaves a half-written or destroyed file. A
// symbolic link is followed; a device or pipe (/dev/null) is written directly.
class ReportWriter {
 public:
  ReportWriter(std::string target, bool utf8);  // empty target: standard output
  ~ReportWriter();
  ReportWriter(const ReportWriter&) = delete;
  ReportWriter& operator=(const ReportWriter&) = delete;

  // Prepares the output; false with `error` set when it cannot be created.
  bool Open(std::string& error);
  void WriteLine(std::string_view line);
  // Finishes the output; false with `error` set when anything failed.
  bool Commit(std::string& error);

 private:
  void Discard();

  std::string target_;
  bool utf8_;
  std::string temporaryName_;
  std::FILE* file_ = nullptr;
};

}  // namespace kelvara
