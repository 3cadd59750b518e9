#include "cli/report_writer.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <vector>

#include "codec/cp932.h"

namespace kelvara {

ReportWriter::ReportWriter(std::string target, bool utf8)
    : target_(std::move(target)), utf8_(utf8) {}

ReportWriter::~ReportWriter() { Discard(); }

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
    if (!resolved.empty()) target_ = resolved.string();
  }
  // Only a regular file can be replaced by renaming; a device or a pipe such
  // as /dev/null is written directly.
  const auto status = std::filesystem::status(target_, ignored);
  if (std::filesystem::exists(status) && !std::filesystem::is_regular_file(status)) {
    file_ = std::fopen(target_.c_str(), "wb");
    if (file_ == nullptr) {
      error = "cannot write " + target_ + ": " + std::strerror(errno);
      return false;
    }
    return true;
  }
  std::vector<char> name(target_.begin(), target_.end());
  const std::string suffix = ".XXXXXX";
  name.insert(name.end(), suffix.begin(), suffix.end());
  name.push_back('\0');
  const int fd = mkstemp(name.data());
  if (fd < 0) {
    error = "cannot write " + target_ + ": " + std::strerror(errno);
    return false;
  }
  temporaryName_ = name.data();
  // mkstemp creates the file private to the user; give it the usual mode.
  const mode_t mask = umask(0);
  umask(mask);
  fchmod(fd, 0666 & ~mask);
  file_ = fdopen(fd, "wb");
  if (file_ == nullptr) {
    error = "cannot write " + target_ + ": " + std::strerror(errno);
    close(fd);
    Discard();
    return false;
  }
  return true;
}

void ReportWriter::WriteLine(std::string_view line) {
  if (utf8_) {
    const std::string text = Cp932ToUtf8(line);
    std::fwrite(text.data(), 1, text.size(), file_);
    std::fputc('\n', file_);
  } else {
    std::fwrite(line.data(), 1, line.size(), file_);
    std::fwrite("\r\n", 1, 2, file_);
  }
}

bool ReportWriter::Commit(std::string& error) {
  const std::string where = target_.empty() ? "standard output" : target_;
  bool ok = std::fflush(file_) == 0 && !std::ferror(file_);
  if (target_.empty()) {
    if (!ok) error = "cannot write to " + where;
    return ok;
  }
  if (temporaryName_.empty()) {  // written directly
    ok = std::fclose(file_) == 0 && ok;
    file_ = nullptr;
    if (!ok) error = "cannot write " + where + ": " + std::strerror(errno);
    return ok;
  }
  ok = fsync(fileno(file_)) == 0 && ok;
  ok = std::fclose(file_) == 0 && ok;
  file_ = nullptr;
  if (ok && std::rename(temporaryName_.c_str(), target_.c_str()) == 0) {
    temporaryName_.clear();
    return true;
  }
  error = "cannot write " + where + ": " + std::strerror(errno);
  Discard();
  return false;
}

void ReportWriter::Discard() {
  if (file_ != nullptr && file_ != stdout) std::fclose(file_);
  file_ = nullptr;
  if (!temporaryName_.empty()) {
    std::remove(temporaryName_.c_str());
    temporaryName_.clear();
  }
}

}  // namespace kelvara
