// What reading report lines back must make of any results file at all.
#pragma once

#include <string>
#include <string_view>

namespace kelvara::fuzz {

// Splits `bytes` into lines as a results file is loaded (LF ends a line, CR
// bytes dropped), reads the report blocks and their schemes, and checks the
// reader's promises. Returns an empty string when everything holds,
// otherwise a description of the first failure.
std::string CheckReportReading(std::string_view bytes);

}  // namespace kelvara::fuzz
