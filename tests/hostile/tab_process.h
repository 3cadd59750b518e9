// Running the real kelvara-tab binary from a test.
#pragma once

#include <string>
#include <vector>

#include "tests/support/program_run.h"

namespace kelvara::hostile {

using TabOutcome = testing::ProgramOutcome;

// Runs kelvara-tab with `args`. A non-zero `addressSpaceLimit` (bytes; POSIX
// systems only) caps its address space, so that it runs out of memory early.
TabOutcome RunTab(const std::vector<std::string>& args, unsigned long addressSpaceLimit = 0);

}  // namespace kelvara::hostile
