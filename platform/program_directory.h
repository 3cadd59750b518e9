// The folder the running program was started from, where the files shipped
// beside it (the reference tables) are found.
#pragma once

#include <filesystem>

namespace kelvara {

// Empty when the system does not tell.
std::filesystem::path ProgramDirectory();

}  // namespace kelvara
