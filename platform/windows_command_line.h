// A Windows command line from separate arguments.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kelvara {

// One argument quoted so that the C runtime's argument splitting (and
// CommandLineToArgvW) gives it back unchanged: in double quotes when it is
// empty or holds a blank, tab or quote; a quote inside is preceded by a
// backslash, and the backslashes that stand before a quote (also the closing
// one) are doubled. Other backslashes stay as they are.
std::wstring QuoteWindowsArgument(std::wstring_view argument);

// The command line of a program and its arguments. The program path is always
// quoted and taken literally (argument 0 knows no backslash escapes, and a
// Windows path holds no quote).
std::wstring WindowsCommandLine(std::wstring_view program,
                                const std::vector<std::wstring>& arguments);

}  // namespace kelvara
