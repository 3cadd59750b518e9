// File names chosen in the window, in the form the engine opens files by and
// in the form the user reads them.
#pragma once

#include <QString>
#include <filesystem>

// On Windows the name as chosen, in UTF-16, so that any script opens; elsewhere
// its UTF-8 bytes, the file-name encoding Qt 6 assumes there.
std::filesystem::path FileSystemPath(const QString& name);

// The name as the user's system writes it (C:\調査\2024.csv on Windows), for
// the window's boxes and messages; the window keeps and stores names with
// '/', as Qt hands them over.
QString ShownPath(const QString& name);

// Whether two names lead to one existing file (links and letter case as the
// file system sees them).
bool SameFile(const QString& a, const QString& b);
