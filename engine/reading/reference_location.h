// Where the reference tables shipped with the programs are found.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "engine/reading/reference_table.h"

namespace kelvara {

// The shipped tables by the names the user chooses them by.
inline constexpr std::string_view kShippedReferenceNames[] = {"dri2025", "dri2020"};

bool IsShippedReferenceName(std::string_view name);

// The file of a shipped table: reference/<name>.csv beside the program, or
// ../share/kelvara/reference/<name>.csv from it as installed; nothing when
// neither exists.
std::optional<std::filesystem::path> ShippedReferenceFile(
    const std::filesystem::path& programDirectory, std::string_view name);

// Reads a shipped table by its name, or a table file by its path (UTF-8).
// Nothing, with a one-line message in `error`, when it cannot be read.
std::optional<ReferenceTable> ReadNamedReferenceTable(const std::string& nameOrPath,
                                                      const std::filesystem::path& programDirectory,
                                                      const TextConversion& utf8ToCp932,
                                                      std::string& error);

}  // namespace kelvara
