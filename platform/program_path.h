// The browser's program path within a registered command for opening web links.
#pragma once

#include <string>
#include <string_view>

// A command such as  "C:\Program Files\Browser\browser.exe" -url "%1"  names its
// program first: in double quotes when the path holds blanks (up to the closing
// quote, or the end when none follows), otherwise up to the first blank. The
// arguments after it are not used. Empty when the command is empty or starts
// with a blank.
std::string ProgramPathFromCommand(std::string_view command);
