// Running a program from a test, its standard output and error captured.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace kelvara::testing {

struct ProgramOutcome {
  int status = -1;  // exit status; -1 when it did not exit normally
  int signal = 0;   // the signal that ended it, if one did (POSIX systems)
  std::string out;
  std::string err;
};

// Runs `program` with `args` (UTF-8) and no input, and waits for it. On
// Windows the arguments travel in a command line quoted by the C runtime's
// rules; elsewhere they are handed over as they are. A non-zero
// `addressSpaceLimit` (bytes; POSIX systems only) caps the program's address
// space, so that it runs out of memory early.
ProgramOutcome RunProgram(const std::filesystem::path& program,
                          const std::vector<std::string>& args,
                          unsigned long addressSpaceLimit = 0);

// Sets an environment variable of this process for the programs it runs, and
// puts the old value back when it goes.
class ScopedEnvironment {
 public:
  ScopedEnvironment(std::string name, const std::string& value);
  ~ScopedEnvironment();
  ScopedEnvironment(const ScopedEnvironment&) = delete;
  ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

 private:
  std::string name_;
  bool hadValue_ = false;
  std::string oldValue_;
};

}  // namespace kelvara::testing
