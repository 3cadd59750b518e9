// What a tabulation run must make of any file and any column choices.
#pragma once

#include <string>
#include <string_view>

namespace kelvara::fuzz {

// Decodes `input` as a TabulationCase, runs TabulateVariables on it with two
// analysis variables and checks the status and the report: the block layout,
// 3 or 17 fields per group line, counts that are not negative and that nest as
// the scheme's groups do, the totals and the number of sampling units worked
// out independently from the rows, and a block equal to a run of its variable
// alone. Returns an empty string when everything holds, otherwise a
// description of the first failure.
std::string CheckTabulation(std::string_view input);

}  // namespace kelvara::fuzz
