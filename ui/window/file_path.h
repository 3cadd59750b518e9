// File names chosen in the window, in the form the engine opens files by.
#pragma once

#include <QString>
#include <filesystem>

// On Windows the name as chosen, in UTF-16, so that any script opens; elsewhere
// its bytes in the file system's encoding (QFile::encodeName).
std::filesystem::path FileSystemPath(const QString& name);
