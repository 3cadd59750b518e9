// The platform's part of writing a file all or nothing: a new file beside the
// target, flushed to the disk, then put in the target's place in one step.
#pragma once

#include <cstdio>
#include <filesystem>
#include <string>

namespace kelvara {

// Whether `target` exists and is no regular file: a device or a pipe such as
// /dev/null or NUL. Only a regular file can be replaced by renaming; these are
// written directly.
bool IsDeviceOrPipe(const std::filesystem::path& target);

// Creates a new, empty file in the target's folder under a name no other file
// has, open for writing bytes, and puts its name into `temporary`. The file
// gets the permissions a new file gets there (on POSIX systems: from the
// umask). Null, with the system's reason in `reason`, when it cannot.
std::FILE* CreateFileBeside(const std::filesystem::path& target,
                            std::filesystem::path& temporary, std::string& reason);

// Writes the stream's buffer and the system's cache of the file to the disk.
bool FlushToDisk(std::FILE* file, std::string& reason);

// Puts `temporary` in the place of `target` in one step: afterwards the target
// is the old file or the new one, never a mixture, even if the power fails.
bool PutInPlaceOf(const std::filesystem::path& temporary, const std::filesystem::path& target,
                  std::string& reason);

}  // namespace kelvara
