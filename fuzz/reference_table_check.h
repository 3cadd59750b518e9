// What the reference table reader must make of any bytes at all.
#pragma once

#include <string>
#include <string_view>

namespace kelvara::fuzz {

// Reads `bytes` as a reference table (code page 932 text) and checks the
// reader's promises: the program and the check refuse the same tables, with
// UTF-8 messages; a table taken keeps every rule of the format; its
// nutrients judge each person class by the rule against the bounds found,
// and count every person class once, judged or not. Returns an empty string
// when everything holds, otherwise a description of the first failure.
std::string CheckReferenceTable(std::string_view bytes);

}  // namespace kelvara::fuzz
