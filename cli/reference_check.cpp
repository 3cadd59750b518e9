#include "cli/reference_check.h"

#include <cstdio>
#include <optional>

#include "codec/cp932.h"
#include "engine/reading/reference_location.h"
#include "engine/reading/reference_table.h"
#include "platform/program_directory.h"
#include "platform/standard_streams.h"
#include "platform/utf8_path.h"

namespace kelvara {

int RunReferenceCheck(const std::vector<std::string>& tables) {
  if (tables.empty()) {
    WriteUtf8(stderr, "kelvara-tab: --check-reference needs the tables to check (names or files)\n");
    return 2;
  }
  const TextConversion toCp932 = [](std::string_view text) { return Utf8ToCp932(text); };
  bool anyProblem = false;
  for (const std::string& table : tables) {
    std::filesystem::path file = PathFromUtf8(table);
    if (IsShippedReferenceName(table)) {
      file = ShippedReferenceFile(ProgramDirectory(), table).value_or(file);
    }
    std::string error;
    const std::optional<std::string> text = ReadReferenceText(file, toCp932, error);
    std::vector<std::string> problems;
    if (text) {
      problems = ReferenceTableProblems(*text);
    } else {
      problems.push_back(error);
    }
    for (const std::string& problem : problems) WriteUtf8(stdout, table + ": " + problem + "\n");
    WriteUtf8(stdout, table + ": " +
                          (problems.empty() ? std::string("問題なし")
                                            : "問題 " + std::to_string(problems.size()) + " 件") +
                          "\n");
    anyProblem = anyProblem || !problems.empty();
  }
  return anyProblem ? 1 : 0;
}

}  // namespace kelvara
