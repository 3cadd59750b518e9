#include "cli/report_writer.h"

#include <cerrno>
#include <cstring>

#include "codec/cp932.h"
#include "platform/file_opening.h"
#include "platform/file_replacement.h"
#include "platform/standard_streams.h"
#include "platform/utf8_path.h"

namespace kelvara {

ReportWriter::ReportWriter(std::filesystem::path target, bool utf8)
    : target_(std::move(target)), utf8_(utf8) {}

ReportWriter::~ReportWriter() { Discard(); }

std::string ReportWriter::CannotWrite(const std::string& reason) const {
  return "cannot write " + Utf8FromPath(target_) + ": " + reason;
}

bool ReportWriter::Open(std::string& error) {
  if (target_.empty()) {
    file_ = stdout;
    return true;
  }
  // A symbolic link is written through, not replaced: the report goes beside
  // and then over the file it names.
  std::error_code ignored;
  if (std::filesystem::is_symlink(std::filesystem::symlink_status(target_, ignored))) {
    const auto resolved = std::filesystem::canonical(target_, ignored);
    if (!resolved.empty()) target_ = resolved;
  }
  if (IsDeviceOrPipe(target_)) {
    file_ = OpenFileStream(target_, "wb");
    if (file_ == nullptr) {
      error = CannotWrite(std::strerror(errno));
      return false;
    }
    return true;
  }
  std::string reason;
  file_ = CreateFileBeside(target_, temporary_, reason);
  if (file_ == nullptr) {
    error = CannotWrite(reason);
    return false;
  }
  return true;
}

void ReportWriter::WriteLine(std::string_view line) {
  if (utf8_) {
    writeFailed_ |= !WriteUtf8(file_, Cp932ToUtf8(line) + '\n');
  } else {
    std::fwrite(line.data(), 1, line.size(), file_);
    std::fwrite("\r\n", 1, 2, file_);
  }
}

void ReportWriter::WriteBytes(std::string_view bytes) {
  writeFailed_ |= std::fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size();
}

bool ReportWriter::Commit(std::string& error) {
  bool ok = std::fflush(file_) == 0 && !std::ferror(file_) && !writeFailed_;
  if (target_.empty()) {
    if (!ok) error = "cannot write to standard output";
    return ok;
  }
  if (temporary_.empty()) {  // written directly
    ok = std::fclose(file_) == 0 && ok;
    file_ = nullptr;
    if (!ok) error = CannotWrite(std::strerror(errno));
    return ok;
  }
  std::string reason;
  if (!ok) {
    reason = std::strerror(errno);
  } else {
    ok = FlushToDisk(file_, reason);
  }
  if (std::fclose(file_) != 0 && ok) {
    ok = false;
    reason = std::strerror(errno);
  }
  file_ = nullptr;
  if (ok && PutInPlaceOf(temporary_, target_, reason)) {
    temporary_.clear();
    return true;
  }
  error = CannotWrite(reason);
  Discard();
  return false;
}

void ReportWriter::Discard() {
  if (file_ != nullptr && file_ != stdout) std::fclose(file_);
  file_ = nullptr;
  if (!temporary_.empty()) {
    std::error_code ignored;
    std::filesystem::remove(temporary_, ignored);
    temporary_.clear();
  }
}

}  // namespace kelvara
