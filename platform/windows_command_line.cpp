#include "platform/windows_command_line.h"

namespace kelvara {

std::wstring QuoteWindowsArgument(std::wstring_view argument) {
  if (!argument.empty() && argument.find_first_of(L" \t\n\v\"") == std::wstring_view::npos) {
    return std::wstring(argument);
  }
  std::wstring quoted = L"\"";
  size_t backslashes = 0;
  for (const wchar_t c : argument) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    // Backslashes count as escapes only before a quote.
    quoted.append(c == L'"' ? 2 * backslashes + 1 : backslashes, L'\\');
    quoted.push_back(c);
    backslashes = 0;
  }
  quoted.append(2 * backslashes, L'\\');  // they stand before the closing quote
  quoted.push_back(L'"');
  return quoted;
}

std::wstring WindowsCommandLine(std::wstring_view program,
                                const std::vector<std::wstring>& arguments) {
  std::wstring line = L"\"";
  line.append(program);
  line.push_back(L'"');
  for (const std::wstring& argument : arguments) {
    line.push_back(L' ');
    line.append(QuoteWindowsArgument(argument));
  }
  return line;
}

}  // namespace kelvara
