// kelvara-tab --check-reference: reference tables checked by the rules the
// program reads them by, so that a table that passes is one it judges by.
#pragma once

#include <string>
#include <vector>

namespace kelvara {

// Checks each table (a shipped table's name or a file's path, UTF-8) and
// prints every problem, then a line per table; returns 0 when no table has
// one, 1 otherwise, 2 when no table is named.
int RunReferenceCheck(const std::vector<std::string>& tables);

}  // namespace kelvara
