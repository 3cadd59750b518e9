// The command line of kelvara-tab: options, column lookup, run, output.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "engine/tabulation.h"

namespace kelvara {

// What turns a run request into report lines (the engine, or in checks the
// straightforward reference tabulation).
using Tabulator = std::function<RunOutcome(const RunRequest&, const LineSink&)>;

// Runs the command for the arguments after the program name; returns the exit
// status (0 done, 1 the run failed, 2 bad usage) after printing any message.
int RunTabCommand(const std::vector<std::string>& args, const Tabulator& tabulate);

// The same for main(): takes the command line as the platform gives it (see
// ProgramArguments), and turns running out of memory, or any other exception,
// into a message and a failed status.
int RunTabCommandGuarded(int argc, char** argv, const Tabulator& tabulate);

}  // namespace kelvara
