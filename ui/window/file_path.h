// File names chosen in the window, in the form the engine opens files by.
#pragma once

#include <QString>
#include <filesystem>

// On Windows the name as chosen, in UTF-16, so that any script opens; elsewhere
// its UTF-8 bytes, the file-name encoding Qt 6 assumes there.
std::filesystem::path FileSystemPath(const QString& name);
