// What the CSV table reader must make of any bytes at all.
#pragma once

#include <string>
#include <string_view>

namespace kelvara::fuzz {

// Reads `bytes` as a survey data file with CsvTable and checks it against the
// reader's own promises and against ReferenceRows. Returns an empty string
// when everything holds, otherwise a description of the first failure.
std::string CheckCsvTable(std::string_view bytes);

}  // namespace kelvara::fuzz
