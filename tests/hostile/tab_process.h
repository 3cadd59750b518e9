// Running the real kelvara-tab binary from a test.
#pragma once

#include <string>
#include <vector>

namespace kelvara::hostile {

struct TabOutcome {
  int status = -1;      // exit status; -1 when it did not exit normally
  int signal = 0;       // the signal that ended it, if one did
  std::string out;
  std::string err;
};

// Runs kelvara-tab with `args`. A non-zero `addressSpaceLimit` (bytes) caps the
// child's address space, so that it runs out of memory early.
TabOutcome RunTab(const std::vector<std::string>& args, unsigned long addressSpaceLimit = 0);

}  // namespace kelvara::hostile
