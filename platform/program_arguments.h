// The command line as the tabulator reads it.
#pragma once

#include <string>
#include <vector>

namespace kelvara {

// The arguments after the program name. On Windows they are taken from the
// UTF-16 command line and turned into UTF-8 here, once, so that Japanese
// column and file names arrive whole whatever the ANSI code page is; elsewhere
// they are the bytes given.
std::vector<std::string> ProgramArguments(int argc, char** argv);

}  // namespace kelvara
